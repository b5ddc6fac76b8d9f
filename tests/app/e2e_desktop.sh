#!/usr/bin/env bash
# End-to-end check of the application on a desktop without a tray host, under a real window manager:
#
#   tests/app/e2e_desktop.sh WM NIMBRA HELPER OUTDIR
#
# WM is openbox or xfwm4. Starts a private X server (Xvfb), the window manager and a private session bus, writes
# a snapshot into a temporary XDG_DATA_HOME and starts NIMBRA with no tray host. Checks, in order:
#   - the dashboard shows as a window with the application's icon, stays open while the settings are open and
#     after they close;
#   - the widget host starts, its windows are on every workspace, and a second start of NIMBRA brings the
#     host back after it ended and brings a minimised dashboard forward;
#   - once a tray host (trayer) appears, the first popover hangs at its icon;
#   - SIGTERM ends the widget host and NIMBRA cleanly (exit status 0) during a refresh, keeping the placements;
#   - with no tray host, closing the dashboard window ends NIMBRA.
# Screenshots stay in OUTDIR. No network: providers point at a local port that accepts and never answers, so
# every refresh is still running when it is interrupted.
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

WM=${1:?window manager (openbox or xfwm4)}
NIMBRA=${2:?nimbra binary}
HELPER=${3:?nimbra-e2e-helper binary}
OUTDIR=${4:?output folder}

# shellcheck source=SCRIPTDIR/e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
require_tools "this check needs Xvfb, $WM, trayer, xdotool, x11-utils, wmctrl, ImageMagick, dbus and python3" \
    Xvfb "$WM" trayer xdotool xprop wmctrl import dbus-daemon python3

e2e_begin nimbra-e2e-desktop
APP_PID=
TRAYER_PID=
# A failure photographs the screen; a missing screenshot elsewhere fails nothing.
FAIL_SCREENSHOT=failure

# nimbra's visible windows of a size: $1 = minimum width, $2 = exact "WxH" or empty.
nimbra_window() {
    local id w h
    for id in $(xdotool search --onlyvisible --classname '^nimbra$' 2>/dev/null); do
        read -r _ _ w h <<<"$(window_geometry "$id")"
        [[ -z $w ]] && continue
        if [[ -n ${2:-} ]]; then
            [[ ${w}x$h == "$2" ]] && { echo "$id"; return 0; }
        elif ((w >= $1 && h >= 300 && !(w == 620 && h == 480))); then
            echo "$id"
            return 0
        fi
    done
    return 1
}
dashboard_window() { nimbra_window 300; }
settings_window() { nimbra_window 0 620x480; }
tray_icon_window() {
    local id w h
    for id in $(xdotool search --onlyvisible --classname '^nimbra$' 2>/dev/null); do
        read -r _ _ w h <<<"$(window_geometry "$id")"
        if [[ -n $w && $w -le 64 && $h -le 64 ]]; then echo "$id"; return 0; fi
    done
    return 1
}
widget_windows() { xdotool search --onlyvisible --classname '^nimbra-widgets$' 2>/dev/null; }
host_on_bus() { bus_name_owned com.tarnwick.Nimbra.Widgets; }
host_pid() {
    local pid
    for pid in $(session_pids); do
        [[ $(readlink "/proc/$pid/exe" 2>/dev/null) == */nimbra-widgets ]] && { echo "$pid"; return 0; }
    done
    return 1
}
# The window's icon is the application's (its blue sky), not the toolkit's grey stand-in.
has_app_icon() {
    xprop -id "$1" -f _NET_WM_ICON 32c _NET_WM_ICON | tr -d ' ' | cut -d= -f2 | tr ',' '\n' | awk '
        { v = $1 + 0; a = int(v / 16777216) % 256; r = int(v / 65536) % 256; b = v % 256
          if (a > 200 && b > r + 100) blue++ }
        END { exit !(blue > 50) }'
}
is_hidden() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }
is_active() { [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]; }
app_running() { kill -0 "$APP_PID" 2>/dev/null; }

start_session() {
    start_xvfb
    start_bus
    use_private_xdg
    use_xcb

    case $WM in
    xfwm4) xfwm4 --compositor=off --sm-client-disable >"$WORK/wm.log" 2>&1 & ;;
    *) "$WM" >"$WORK/wm.log" 2>&1 & ;;
    esac
    PIDS+=($!)
    wait_for 100 wmctrl -m || fail "$WM did not start"
    # Four workspaces, to see the widgets on another one.
    wmctrl -n 4

    # Provider requests are accepted and never answered: a refresh runs until it is stopped.
    python3 -c '
import socket, sys
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(64)
print(s.getsockname()[1], flush=True)
held = []
while True:
    held.append(s.accept()[0])' >"$WORK/stall.port" &
    PIDS+=($!)
    wait_for 50 test -s "$WORK/stall.port" || fail "the stalling server did not start"
    export NIMBRA_PROVIDER_BASE_URL=http://127.0.0.1:$(head -n 1 "$WORK/stall.port")
}

start_app() {
    "$NIMBRA" >>"$OUTDIR/nimbra.log" 2>&1 &
    APP_PID=$!
    PIDS+=("$APP_PID")
}

# --- Steps ---

step_dashboard_without_tray() {
    wait_for 300 dashboard_window || fail "without a tray host no dashboard window opened"
    DASHBOARD=$(dashboard_window)
    sleep 1.5
    try_shot no-tray-dashboard
    has_app_icon "$DASHBOARD" || fail "the dashboard window does not carry the application's icon (_NET_WM_ICON)"
    xprop -id "$DASHBOARD" WM_CLASS | grep -q '"nimbra"' || fail "the dashboard's WM_CLASS is not nimbra"
}

step_settings_keep_the_dashboard() {
    xdotool windowactivate --sync "$DASHBOARD" 2>/dev/null
    xdotool key --clearmodifiers ctrl+comma
    wait_for 100 settings_window || fail "Ctrl+, in the dashboard opened no settings window"
    SETTINGS=$(settings_window)
    sleep 1
    try_shot no-tray-settings
    dashboard_window >/dev/null || fail "opening the settings hid the dashboard, the only way back"
    has_app_icon "$SETTINGS" || fail "the settings window does not carry the application's icon"
    wmctrl -ic "$SETTINGS"
    wait_for 50 bash -c "! xdotool search --onlyvisible --classname '^nimbra$' | grep -qx $SETTINGS" ||
        fail "the settings window did not close"
    sleep 0.5
    dashboard_window >/dev/null || fail "after the settings closed no window is left"
    app_running || fail "nimbra ended when the settings closed"
}

step_widgets_on_every_workspace() {
    wait_for 150 test "$(widget_windows | wc -l)" -ge 1 || fail "the application started no widget host"
    local id
    for id in $(widget_windows); do
        xprop -id "$id" _NET_WM_DESKTOP | grep -q "= 4294967295" ||
            fail "widget window $id is not on every workspace: $(xprop -id "$id" _NET_WM_DESKTOP)"
    done
    wmctrl -s 2
    sleep 0.5
    try_shot widgets-workspace-3
    test "$(widget_windows | wc -l)" -ge 1 || fail "the widgets vanished on another workspace"
    wmctrl -s 0
    sleep 0.3
}

step_second_start_restores() {
    # The user ended the widget host; the next start of nimbra brings it back.
    kill -TERM "$(host_pid)"
    wait_for 100 bash -c "! dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:com.tarnwick.Nimbra.Widgets | grep -q 'boolean true'" ||
        fail "the widget host did not end on SIGTERM"
    xdotool windowminimize --sync "$DASHBOARD" 2>/dev/null || xdotool windowminimize "$DASHBOARD"
    wait_for 30 is_hidden "$DASHBOARD" || fail "the dashboard could not be minimised"
    "$NIMBRA" >>"$OUTDIR/nimbra-second.log" 2>&1 || fail "the second start ended with an error"
    wait_for 50 bash -c "! xprop -id $DASHBOARD _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN" ||
        fail "a second start left the dashboard minimised"
    wait_for 30 is_active "$DASHBOARD" || fail "a second start did not activate the dashboard"
    wait_for 150 host_on_bus || fail "a second start did not bring the widget host back"
    sleep 1
    try_shot second-start
}

step_popover_after_tray_appears() {
    trayer --edge top --align right --widthtype request --height 26 --SetDockType true --SetPartialStrut true \
        --transparent false --tint 0x303030 >"$WORK/trayer.log" 2>&1 &
    TRAYER_PID=$!
    PIDS+=("$TRAYER_PID")
    wait_for 100 tray_icon_window || fail "no tray icon appeared once trayer started"
    local icon ix iy iw ih
    icon=$(tray_icon_window)
    sleep 1
    read -r ix iy iw ih <<<"$(window_geometry "$icon")"
    # The dashboard window turns into the popover: closed by a click on the icon, opened by the next.
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
    sleep 0.8
    if ! dashboard_window >/dev/null || is_hidden "$DASHBOARD"; then
        xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
    fi
    wait_for 50 dashboard_window || fail "a click on the new tray icon opened no dashboard"
    sleep 1
    try_shot popover-after-tray
    local px py pw ph
    read -r px py pw ph <<<"$(window_geometry "$(dashboard_window)")"
    echo "icon ${iw}x$ih at $ix,$iy; popover ${pw}x$ph at $px,$py"
    ((py >= iy + ih - 1 && py <= iy + ih + 2)) || fail "the popover's top ($py) is not at its icon's foot ($((iy + ih)))"
    ((px >= 0 && px + pw <= 1280)) || fail "the popover reaches past the screen's edge (x $px, width $pw)"
    xdotool key Escape
    sleep 0.3
}

step_sigterm_quits_cleanly() {
    local before host status
    before=$(md5sum <"$XDG_CONFIG_HOME/Nimbra/widgets.conf")
    host=$(host_pid) || fail "no widget host runs"
    kill -TERM "$host"
    wait_for 100 bash -c "! kill -0 $host" || fail "the widget host did not end on SIGTERM"
    [[ $(md5sum <"$XDG_CONFIG_HOME/Nimbra/widgets.conf") == "$before" ]] || fail "SIGTERM changed the placements"
    # A refresh is running (the providers never answer): SIGTERM ends it with the application.
    xdotool key --clearmodifiers ctrl+r
    sleep 0.5
    kill -TERM "$APP_PID"
    wait_for 100 bash -c "! kill -0 $APP_PID" || fail "nimbra did not end on SIGTERM"
    wait "$APP_PID"
    status=$?
    ((status == 0)) || fail "nimbra ended with status $status on SIGTERM, not through its quit path"
    grep -q "Signal 15 received" "$OUTDIR/nimbra.log" || fail "nimbra did not see SIGTERM"
}

step_closing_the_dashboard_quits() {
    start_app
    wait_for 300 dashboard_window || fail "without a tray host no dashboard window opened"
    sleep 1
    wmctrl -ic "$(dashboard_window)"
    wait_for 100 bash -c "! kill -0 $APP_PID" ||
        fail "closing the only window left nimbra running with nothing on screen"
    wait "$APP_PID"
    local status=$?
    ((status == 0)) || fail "nimbra ended with status $status when its window closed"
}

STEPS=(dashboard_without_tray settings_keep_the_dashboard widgets_on_every_workspace second_start_restores
    popover_after_tray_appears sigterm_quits_cleanly)
start_session
"$HELPER" snapshot >/dev/null || fail "cannot write the snapshot"
start_app
for step in "${STEPS[@]}"; do
    echo "== $step"
    "step_$step"
done
# Without the tray host again: the last window closes the application.
kill "$TRAYER_PID" 2>/dev/null
echo "== closing_the_dashboard_quits"
step_closing_the_dashboard_quits
echo "PASS: screenshots in $OUTDIR"
