#!/usr/bin/env bash
# End-to-end check on desktops whose tray watcher lives in a process of its own and outlives the panel, for
# CTest and for a person:
#
#   tests/app/e2e_panel_watcher.sh DESKTOP NIMBRA HELPER OUTDIR
#
# DESKTOP is cinnamon (xapp-sn-watcher, then `cinnamon --replace`) or plasma (kded5 and kwin_x11, then
# plasmashell). On a private X server and session bus, once the panel has come and gone and left its watcher
# up (xapp-sn-watcher takes the watcher's name only once a panel has asked for it):
# - NIMBRA starts: with no panel to draw the tray, the dashboard shows as a window;
# - the panel starts: the item shows in it and the window goes back to the tray, unused;
# - a click on the item opens the dashboard hung at the icon; Escape closes it;
# - the panel ends (SIGTERM) while its watcher stays: the dashboard shows as a window within 8 s.
# No network: provider addresses point at a closed local port. Screenshots stay in OUTDIR.
#
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

DESKTOP=${1:?desktop (cinnamon or plasma)}
NIMBRA=${2:?nimbra binary}
HELPER=${3:?nimbra-e2e-helper binary}
OUTDIR=${4:?output folder}
SN_WATCHER=/usr/libexec/xapps/sn-watcher/xapp-sn-watcher
ACTIVITIES=$(ls /usr/lib/*/libexec/kactivitymanagerd 2>/dev/null | head -n 1)

# shellcheck source=SCRIPTDIR/e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
case $DESKTOP in
cinnamon)
    require_tools "the check needs Cinnamon, xapp-sn-watcher, Xvfb, xdotool, ImageMagick, dbus" \
        cinnamon "$SN_WATCHER" Xvfb xdotool import dbus-daemon dbus-send
    PANEL=cinnamon
    ;;
plasma)
    require_tools "the check needs KDE Plasma (plasmashell, kded5, kwin_x11, kactivitymanagerd), Xvfb, xdotool, \
ImageMagick, dbus" plasmashell kded5 kwin_x11 "${ACTIVITIES:-kactivitymanagerd}" Xvfb xdotool import dbus-daemon dbus-send
    PANEL=plasmashell
    ;;
*) fail "unknown desktop $DESKTOP" ;;
esac
e2e_begin "nimbra-e2e-$DESKTOP"

start_watcher() {
    case $DESKTOP in
    cinnamon)
        export XDG_CURRENT_DESKTOP=X-Cinnamon
        "$SN_WATCHER" >"$WORK/watcher.log" 2>&1 &
        PIDS+=($!)
        ;;
    plasma)
        export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
        "$ACTIVITIES" >"$WORK/activities.log" 2>&1 &
        PIDS+=($!)
        kded5 >"$WORK/kded.log" 2>&1 &
        PIDS+=($!)
        kwin_x11 --replace >"$WORK/kwin.log" 2>&1 &
        PIDS+=($!)
        ;;
    esac
}

start_panel() {
    case $DESKTOP in
    cinnamon) cinnamon --replace >>"$OUTDIR/panel.log" 2>&1 & ;;
    plasma) plasmashell >>"$OUTDIR/panel.log" 2>&1 & ;;
    esac
    PANEL_PID=$!
    PIDS+=("$PANEL_PID")
}


use_private_xdg
start_xvfb
start_bus
use_xcb
export LIBGL_ALWAYS_SOFTWARE=1 NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
export NIMBRA_PROVIDER_BASE_URL=http://127.0.0.1:9
FAIL_SCREENSHOT=failed
start_watcher
start_panel
wait_for 600 bus_name_owned org.kde.StatusNotifierWatcher || fail "$DESKTOP's watcher did not start"
sleep 8
kill -TERM "$PANEL_PID"
wait "$PANEL_PID" 2>/dev/null
sleep 1
bus_name_owned org.kde.StatusNotifierWatcher || fail "the watcher left with the panel: nothing of this check can be tried"
"$HELPER" snapshot >"$WORK/snapshot.path" || fail "cannot write the snapshot"

echo "== the watcher without its panel at the start"
"$NIMBRA" >"$OUTDIR/nimbra.log" 2>&1 &
NIMBRA_PID=$!
PIDS+=("$NIMBRA_PID")
wait_for 80 dashboard_window || { shot no-window; fail "8 s after the start with no panel to draw the tray no window showed"; }
shot no-panel

echo "== the panel starts"
start_panel
FIND_ICON_TRIES=150 find_icon 640 750 640 50 || { shot no-icon; fail "the panel shows no item with the sun"; }
echo "the item's sun at $ICON"
wait_for 50 no_dashboard || { shot window-kept; fail "the window shown in the tray's place stayed once the panel came"; }
shot panel

read -r x y <<<"$ICON"
xdotool mousemove "$x" "$y" click 1
wait_for 50 dashboard_window || { shot no-popover; fail "a click on the item opened no dashboard"; }
sleep 0.5
read -r px _ pw _ <<<"$(window_geometry "$(dashboard_window)")"
echo "dashboard from $px, ${pw} wide; clicked at $x"
((px + pw / 2 - x <= 250 && x - px - pw / 2 <= 250)) || fail "the dashboard's centre is not within 250 px of the click"
shot popover
xdotool key Escape
wait_for 30 no_dashboard || fail "Escape did not close the dashboard"

echo "== the panel ends, its watcher stays"
kill -TERM "$PANEL_PID"
start=$(date +%s%N)
wait_for 80 dashboard_window || { shot panel-gone; fail "8 s after the panel ended no window showed"; }
echo "window $((($(date +%s%N) - start) / 1000000)) ms after the panel ended"
shot panel-gone
bus_name_owned org.kde.StatusNotifierWatcher || fail "the watcher left with the panel: nothing of this check was tried"
echo "PASS: screenshots in $OUTDIR"
