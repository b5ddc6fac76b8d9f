#!/usr/bin/env bash
# End-to-end check of a panel that leaves, for CTest and for a person:
#
#   tests/app/e2e_panel_leaves.sh NIMBRA HELPER OUTDIR
#
# openbox on a private X server with a private session bus; NIMBRA starts first (no tray: its dashboard is a
# window), then lxqt-panel, which hosts both kinds of tray (StatusNotifierItem and XEmbed). The item is clicked
# as a user would (the window hides, the popover opens and closes, a right click, Escape); then the panel ends
# (SIGTERM). Nothing then owns the XEmbed tray selection, so the dashboard must come back as a window: the
# application is never without an icon and without a window. Then the same with the two trays ending one after
# the other (the helper's watcher, then trayer). Screenshots stay in OUTDIR.
#
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

NIMBRA=${1:?nimbra binary}
HELPER=${2:?nimbra-e2e-helper binary}
OUTDIR=${3:?output folder}

# shellcheck source=SCRIPTDIR/e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
require_tools "the check needs lxqt-panel, openbox, Xvfb, xdotool, ImageMagick, dbus" \
    lxqt-panel trayer openbox Xvfb xdotool wmctrl import dbus-daemon dbus-send
e2e_begin nimbra-e2e-panel

click_icon() {
    local x y
    read -r x y <<<"$ICON"
    xdotool mousemove "$x" "$y" click "$1"
    sleep 0.6
}

use_private_xdg
start_xvfb
start_bus
use_xcb
export NIMBRA_PROVIDER_BASE_URL=http://127.0.0.1:9 NO_AT_BRIDGE=1 XDG_CURRENT_DESKTOP=LXQt
FAIL_SCREENSHOT=failed
openbox >"$WORK/openbox.log" 2>&1 &
PIDS+=($!)
sleep 1

"$HELPER" snapshot >"$WORK/snapshot.path" || fail "cannot write the snapshot"
"$NIMBRA" >"$OUTDIR/nimbra.log" 2>&1 &
NIMBRA_PID=$!
PIDS+=($NIMBRA_PID)
wait_for 300 dashboard_window || fail "without a tray the application showed no window"

# Both trays in the panel, and nothing that needs a desktop session.
mkdir -p "$XDG_CONFIG_HOME/lxqt"
cat >"$XDG_CONFIG_HOME/lxqt/panel.conf" <<CONF
[General]
__userfile__=true
panels=panel1

[panel1]
plugins=statusnotifier,tray
position=Bottom
desktop=0

[statusnotifier]
alignment=Right
type=statusnotifier

[tray]
alignment=Right
type=tray
CONF
lxqt-panel >"$OUTDIR/panel.log" 2>&1 &
PANEL_PID=$!
PIDS+=($PANEL_PID)
wait_for 300 nimbra_registered || fail "the item did not register with lxqt-panel"
find_icon 0 760 1280 40 || { shot no-icon; fail "the panel shows no item with the sun"; }
echo "the item's sun at $ICON"
# The user closes the window: with a tray there now, it only hides.
wmctrl -i -c "$(printf 0x%x "$(dashboard_window)")"
wait_for 30 no_dashboard || fail "closing the dashboard window did not hide it"
sleep 1
click_icon 1
wait_for 100 dashboard_window || { shot no-popover; fail "a click on the item did not open the dashboard"; }
shot popover
read -r px py pw ph <<<"$(window_geometry "$(dashboard_window)")"
read -r cx cy <<<"$ICON"
echo "clicked at $cx,$cy; dashboard ${pw}x$ph at $px,$py"
((px + pw / 2 - cx <= 250 && cx - px - pw / 2 <= 250)) || fail "the dashboard's centre is not within 250 px of the click"
((py + ph <= 800 && py + ph >= cy - 60)) || fail "the dashboard does not hang from the bottom panel"
xdotool key Escape
wait_for 30 no_dashboard || fail "Escape did not close the dashboard"
sleep 0.6
click_icon 1
wait_for 30 dashboard_window || fail "a second click did not open the dashboard"
click_icon 3
shot menu
xdotool key Escape
sleep 0.3
xdotool key Escape
wait_for 30 no_dashboard

kill -TERM "$PANEL_PID"
wait "$PANEL_PID" 2>/dev/null
wait_for 100 dashboard_window || {
    shot panel-gone
    fail "the panel left and the application shows neither an icon nor a window"
}
shot panel-gone

# A panel whose two trays end one after the other: the D-Bus one first, so that the XEmbed one still stands
# when the application looks, and then that one too, without a word to anybody.
trayer --edge top --align right --widthtype request --height 26 --SetDockType true >"$WORK/trayer.log" 2>&1 &
TRAYER_PID=$!
PIDS+=($TRAYER_PID)
"$HELPER" watcher >"$WORK/watcher.log" 2>&1 &
WATCHER_PID=$!
PIDS+=($WATCHER_PID)
wait_for 100 nimbra_registered || fail "the item did not register with the second watcher"
wmctrl -i -c "$(printf 0x%x "$(dashboard_window)")"
wait_for 30 no_dashboard || fail "closing the dashboard window did not hide it"
kill -TERM "$WATCHER_PID"
sleep 1.5
kill -TERM "$TRAYER_PID"
wait_for 100 dashboard_window || {
    shot trays-gone
    fail "both trays left and the application shows neither an icon nor a window"
}
shot trays-gone
echo "PASS: screenshots in $OUTDIR"
