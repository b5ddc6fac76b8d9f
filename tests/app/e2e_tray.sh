#!/usr/bin/env bash
# End-to-end check of the tray application, for CTest and for a person:
#
#   tests/app/e2e_tray.sh NIMBRA HELPER OUTDIR [WIDGETS_HELPER]
#
# Starts a private X server (Xvfb) with a real XEmbed tray host (trayer) and a private session bus, writes a
# snapshot into a temporary XDG_DATA_HOME, starts NIMBRA, waits for its tray icon, clicks it and photographs
# the dashboard. With WIDGETS_HELPER it also checks the widget host the application starts: the widgets show the
# snapshot's forecast, and change once the application has saved a new one. Screenshots stay in OUTDIR. No network: every provider address points at a closed local port,
# so the launch refresh fails and the snapshot's forecast stays on screen.
#
# To add a check, write a function step_<name> below (it may use the helpers) and add <name> to STEPS.
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

NIMBRA=${1:?nimbra binary}
HELPER=${2:?nimbra-e2e-helper binary}
OUTDIR=${3:?output folder}
# The widget host's steps need the widget helper; without it they are left out.
WIDGETS_HELPER=${4:-}
STEPS=(tray_icon popover)
[[ -n $WIDGETS_HELPER ]] && STEPS+=(widgets widgets_after_save)
STEPS+=(settings)

# shellcheck source=SCRIPTDIR/e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
require_tools "the end-to-end check needs Xvfb, trayer, xdotool, ImageMagick, dbus" \
    Xvfb trayer xdotool import dbus-daemon
e2e_begin nimbra-e2e

# The smallest visible window of nimbra at most 64 pixels wide: the icon embedded in the tray.
tray_icon_window() {
    local id best="" bestw=100000 geo
    for id in $(xdotool search --onlyvisible --classname '^nimbra$' 2>/dev/null); do
        read -r _ _ w h <<<"$(window_geometry "$id")"
        if [[ -n $w && $w -le 64 && $h -le 64 && $w -lt $bestw ]]; then best=$id; bestw=$w; fi
    done
    [[ -n $best ]] && echo "$best"
}

start_session() {
    start_xvfb
    start_bus

    trayer --edge top --align right --widthtype request --height 26 --SetDockType true --transparent false \
        --tint 0x303030 >"$WORK/trayer.log" 2>&1 &
    PIDS+=($!)
    wait_for 50 xdotool search --onlyvisible --class trayer || fail "trayer did not start"

    use_private_xdg
    export NIMBRA_PROVIDER_BASE_URL=http://127.0.0.1:9
    use_xcb
}

start_app() {
    "$HELPER" snapshot >"$WORK/snapshot.path" || fail "cannot write the snapshot"
    "$NIMBRA" >"$OUTDIR/nimbra.log" 2>&1 &
    PIDS+=($!)
}

step_tray_icon() {
    wait_for 300 tray_icon_window || { shot no-tray-icon; fail "no tray icon appeared"; }
    TRAY_ICON=$(tray_icon_window)
    read -r ICON_X ICON_Y ICON_W ICON_H <<<"$(window_geometry "$TRAY_ICON")"
    echo "tray icon: ${ICON_W}x${ICON_H} at $ICON_X,$ICON_Y"
    # Let the 80 ms repaint settle.
    sleep 1
    shot tray
    convert "$OUTDIR/tray.png" -crop "$((ICON_W + 16))x$((ICON_H + 8))+$((ICON_X - 8))+$((ICON_Y - 4))" +repage \
        -scale 800% "$OUTDIR/tray-icon-zoomed.png" 2>/dev/null
}

step_popover() {
    xdotool mousemove $((ICON_X + ICON_W / 2)) $((ICON_Y + ICON_H / 2)) click 1
    wait_for 100 dashboard_window || { shot no-popover; fail "a click on the tray icon opened no dashboard"; }
    sleep 1.5
    shot popover
    read -r DX DY DW DH <<<"$(window_geometry "$(dashboard_window)")"
    echo "dashboard: ${DW}x${DH} at $DX,$DY"
    ((DW >= 360 && DH >= 420)) || fail "the dashboard is ${DW}x${DH}, smaller than its minimum"
    ((DX >= 0 && DY >= 0 && DX + DW <= 1280 && DY + DH <= 800)) || fail "the dashboard is not on screen"
    # The snapshot's forecast: its sun and trend line are drawn in warm colours; a dashboard without a forecast
    # has none there (the orange warning row lies lower, outside the counted part).
    local warm
    warm=$("$HELPER" warm-pixels "$OUTDIR/popover.png" "$DX" "$DY" "$DW" $((DH * 6 / 10)))
    echo "warm pixels in the dashboard: $warm"
    ((warm > 300)) || fail "the dashboard does not show the snapshot's forecast"
}

# The settings window: nimbra's visible window of exactly 620 x 480.
settings_window() {
    local id
    for id in $(xdotool search --onlyvisible --classname '^nimbra$' 2>/dev/null); do
        read -r _ _ w h <<<"$(window_geometry "$id")"
        if [[ $w == 620 && $h == 480 ]]; then echo "$id"; return 0; fi
    done
    return 1
}

# No nimbra window of the dashboard's size is visible apart from the settings window.
dashboard_closed() {
    local id settings
    settings=$(settings_window)
    for id in $(xdotool search --onlyvisible --classname '^nimbra$' 2>/dev/null); do
        [[ $id == "$settings" ]] && continue
        read -r _ _ w h <<<"$(window_geometry "$id")"
        [[ -n $w && $w -ge 300 && $h -ge 300 ]] && return 1
    done
    return 0
}

step_settings() {
    # Ctrl+, in the open dashboard (opened again if an earlier step closed it).
    if dashboard_closed; then
        xdotool mousemove $((ICON_X + ICON_W / 2)) $((ICON_Y + ICON_H / 2)) click 1
        wait_for 100 dashboard_window || fail "the dashboard did not open again"
        sleep 0.5
    fi
    xdotool key --clearmodifiers ctrl+comma
    wait_for 100 settings_window || { shot no-settings; fail "Ctrl+, in the dashboard opened no settings window"; }
    # The dashboard closes a moment after the settings open.
    wait_for 30 dashboard_closed || fail "the dashboard stayed open behind the settings"
    sleep 1
    shot settings
    read -r SX SY SW SH <<<"$(window_geometry "$(settings_window)")"
    echo "settings window: ${SW}x${SH} at $SX,$SY"
    local mean
    mean=$(convert "$OUTDIR/settings.png" -crop "${SW}x${SH}+${SX}+${SY}" +repage -colorspace Gray \
        -format "%[fx:int(mean*100)]" info:)
    echo "settings window brightness: $mean%"
    ((mean < 35)) || fail "the settings window is not dark"
}

# --- Widget host steps (with the widget helper as the 4th argument) ---

# The host's widget windows: visible windows of nimbra-widgets.
widget_windows() {
    xdotool search --onlyvisible --classname '^nimbra-widgets$' 2>/dev/null
}

# Three widgets where neither the tray nor the dashboard covers them, as a user would have placed them.
place_widgets() {
    mkdir -p "$XDG_CONFIG_HOME/Nimbra"
    cat >"$XDG_CONFIG_HOME/Nimbra/widgets.conf" <<CONF
[placements]
1\\kind=NimbraCurrentWidget
1\\family=systemMedium
1\\x=20
1\\y=40
2\\kind=NimbraHourlyWidget
2\\family=systemMedium
2\\x=20
2\\y=240
3\\kind=NimbraTenDayWidget
3\\family=systemLarge
3\\x=412
3\\y=40
size=3
CONF
}

# Recorded provider answers on a loopback port; refused (404) until the trigger file exists.
start_provider_server() {
    "$WIDGETS_HELPER" serve "$WORK/serve-now" >"$WORK/serve.port" 2>"$WORK/serve.log" &
    PIDS+=($!)
    wait_for 50 test -s "$WORK/serve.port" || fail "the provider server did not start"
    export NIMBRA_PROVIDER_BASE_URL=http://127.0.0.1:$(head -n 1 "$WORK/serve.port")
}

# The widgets' area of a screenshot as one small image, for comparing two moments.
widgets_crop() {
    convert "$OUTDIR/$1.png" -crop 770x420+20+40 +repage "$WORK/$1-widgets.png"
}

step_widgets() {
    wait_for 150 test "$(widget_windows | wc -l)" -ge 3 || {
        shot no-widgets
        fail "the application started no widget host showing the three widgets"
    }
    bus_name_owned com.tarnwick.Nimbra.Widgets || fail "no widget host owns its bus name"
    sleep 1.5
    shot widgets
    local warm
    # The snapshot's forecast is clear: the current-conditions widget draws a sun.
    warm=$("$HELPER" warm-pixels "$OUTDIR/widgets.png" 20 40 372 180)
    echo "warm pixels in the current-conditions widget: $warm"
    ((warm > 300)) || fail "the widgets do not show the snapshot's forecast"
    widgets_crop widgets
}

step_widgets_after_save() {
    # From now on a refresh finds a snowy morning; the application saves it and the host reloads.
    touch "$WORK/serve-now"
    sleep 0.3
    # The refresh button at the dashboard's top right, still open from the popover step.
    xdotool mousemove $((DX + DW - 27)) $((DY + 24)) click 1
    local tries=100 changed=0
    while ((tries-- > 0)); do
        sleep 0.2
        import -window root "$WORK/now.png" 2>/dev/null || continue
        convert "$WORK/now.png" -crop 770x420+20+40 +repage "$WORK/now-widgets.png"
        if (($(compare -metric AE "$WORK/widgets-widgets.png" "$WORK/now-widgets.png" null: 2>&1 |
            awk '{printf "%d", $1}') > 2000)); then
            changed=1
            break
        fi
    done
    sleep 1
    shot widgets-after-save
    ((changed)) || fail "the widgets did not change after the application saved a new forecast"
}

start_session
if [[ -n $WIDGETS_HELPER ]]; then
    place_widgets
    start_provider_server
fi
start_app
for step in "${STEPS[@]}"; do
    echo "== $step"
    "step_$step"
done
echo "PASS: screenshots in $OUTDIR"
