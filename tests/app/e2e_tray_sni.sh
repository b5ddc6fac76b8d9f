#!/usr/bin/env bash
# End-to-end check of the D-Bus tray path, for CTest and for a person:
#
#   tests/app/e2e_tray_sni.sh NIMBRA HELPER OUTDIR
#
# Starts a private X server (Xvfb) and a private session bus with no tray of any kind, then NIMBRA (its
# dashboard opens as a window), and only then a host of the D-Bus tray protocol (StatusNotifierItem):
# xfce4-panel, whose systray plugin is one, when it is installed, else the helper's bare watcher. The item
# must be registered within 5 s of the host's arrival and its text label must hold the title. With the panel,
# the screen is photographed and the icon's sun must show in the panel. No network: provider addresses point
# at a closed local port, so the snapshot's forecast stays. Screenshots stay in OUTDIR.
#
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

NIMBRA=${1:?nimbra binary}
HELPER=${2:?nimbra-e2e-helper binary}
OUTDIR=${3:?output folder}

# shellcheck source=SCRIPTDIR/e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
require_tools "the check needs Xvfb, xdotool, ImageMagick, dbus" Xvfb xdotool import dbus-daemon dbus-send
# NIMBRA_E2E_PANEL= (set and empty) takes the helper's watcher even where the panel is installed.
PANEL=${NIMBRA_E2E_PANEL-$(command -v xfce4-panel || true)}

e2e_begin nimbra-e2e-sni

bus_call() {
    dbus-send --session --print-reply "$@" 2>/dev/null
}

watcher_present() { bus_name_owned org.kde.StatusNotifierWatcher; }

# A string property of the item.
item_property() {
    bus_call --dest="$ITEM" /StatusNotifierItem org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierItem "string:$1" | sed -n 's/^ *variant *string "\(.*\)"$/\1/p'
}

start_session() {
    use_private_xdg
    start_xvfb

    # The bus starts nothing but the panel's settings store.
    mkdir -p "$WORK/services"
    [[ -n $PANEL && -f /usr/share/dbus-1/services/org.xfce.Xfconf.service ]] &&
        cp /usr/share/dbus-1/services/org.xfce.Xfconf.service "$WORK/services/"
    start_bus "$WORK/services"
    export NIMBRA_PROVIDER_BASE_URL=http://127.0.0.1:9
    use_xcb
    export NO_AT_BRIDGE=1
}

start_app() {
    "$HELPER" snapshot >"$WORK/snapshot.path" || fail "cannot write the snapshot"
    "$NIMBRA" >"$OUTDIR/nimbra.log" 2>&1 &
    NIMBRA_PID=$!
    PIDS+=($NIMBRA_PID)
    # Without any tray the dashboard shows as a window.
    wait_for 300 xdotool search --onlyvisible --classname '^nimbra$' || {
        shot no-window
        fail "without a tray the application showed no window"
    }
    sleep 1
}

start_host() {
    if [[ -n $PANEL ]]; then
        echo "host: xfce4-panel"
        "$PANEL" >"$OUTDIR/host.log" 2>&1 &
    else
        echo "host: the helper's watcher (xfce4-panel is not installed)"
        "$HELPER" watcher >"$OUTDIR/host.log" 2>&1 &
    fi
    PIDS+=($!)
    wait_for 300 watcher_present || fail "the tray host put no StatusNotifierWatcher on the bus"
}

start_session
start_app
start_host
wait_for 50 nimbra_registered || {
    shot not-registered
    fail "the item did not register within 5 s of the tray host (registered: $(registered_items | tr '\n' ' '))"
}
ITEM=$(registered_items | grep "^org\.kde\.StatusNotifierItem-$NIMBRA_PID-" | head -n 1)
ITEM=${ITEM%%/*}
echo "registered: $ITEM"
LABEL=$(item_property XAyatanaLabel)
echo "label: $LABEL"
[[ $LABEL =~ ^-?[0-9]+° ]] || fail "the label '$LABEL' does not start with the snapshot's temperature"
TOOLTIP_TITLE=$(bus_call --dest="$ITEM" /StatusNotifierItem org.freedesktop.DBus.Properties.Get \
    string:org.kde.StatusNotifierItem string:ToolTip | sed -n 's/^ *string "\(.*\)"$/\1/p' | sed -n 2p)
[[ $TOOLTIP_TITLE == "$LABEL" ]] || fail "the tooltip's title '$TOOLTIP_TITLE' is not the label '$LABEL'"

if [[ -n $PANEL ]]; then
    # The panel (its top 24 pixels) reads the picture once it has the item; the snapshot's clear sky draws
    # a sun in it.
    for _ in $(seq 50); do
        sleep 0.2
        import -window root "$WORK/now.png" 2>/dev/null || continue
        (($("$HELPER" warm-pixels "$WORK/now.png" 640 0 640 24) > 8)) && break
    done
    shot panel
    warm=$("$HELPER" warm-pixels "$OUTDIR/panel.png" 640 0 640 24)
    echo "warm pixels in the panel: $warm"
    ((warm > 8)) || fail "the panel shows no icon with the sun"
    # The window shown while there was no tray goes into it; a click opens the dashboard at the icon.
    wait_for 50 no_dashboard || fail "the window shown before the panel came stayed once the icon showed"
    read -r cx cy <<<"$("$HELPER" warm-spot "$OUTDIR/panel.png" 640 0 640 24)"
    sleep 1
    xdotool mousemove "$cx" "$cy" click 1
    wait_for 50 dashboard_window || { shot no-popover; fail "a click on the item opened no dashboard"; }
    sleep 0.5
    shot popover
    read -r px py pw _ <<<"$(window_geometry "$(dashboard_window)")"
    echo "clicked at $cx,$cy; dashboard ${pw} wide at $px,$py"
    ((px + pw / 2 - cx <= 250 && cx - px - pw / 2 <= 250)) || fail "the dashboard's centre is not within 250 px of the click"
    ((py >= cy && py <= cy + 40)) || fail "the dashboard does not hang below the panel"
fi
echo "PASS: screenshots in $OUTDIR"
