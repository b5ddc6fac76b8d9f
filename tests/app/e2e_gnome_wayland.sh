#!/usr/bin/env bash
# End-to-end check on stock GNOME on Wayland (no tray extension, Fedora's default), for CTest and for a person:
#
#   tests/app/e2e_gnome_wayland.sh NIMBRA HELPER OUTDIR
#
# GNOME Shell runs nested (--nested --wayland) in a private X server, with private session and system buses,
# its settings in memory and no extension. NIMBRA starts natively on Wayland with no tray: its dashboard opens
# as a window, then the widget host's board. The compositor raises no window without an activation token, so
# the dashboard must end up the focused window, above the board, and stay so (read from the shell at 3 and 8 s).
# No network: provider addresses point at a closed local port. Screenshots stay in OUTDIR.
#
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

NIMBRA=${1:?nimbra binary}
HELPER=${2:?nimbra-e2e-helper binary}
OUTDIR=${3:?output folder}

# shellcheck source=SCRIPTDIR/e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
require_tools "the check needs GNOME Shell, Xvfb, xdotool, ImageMagick, dbus, glib" \
    gnome-shell Xvfb xdotool import dbus-daemon glib-compile-schemas
if ! ls /usr/lib/*/qt6/plugins/platforms/libqwayland-*.so >/dev/null 2>&1; then
    echo "SKIP: qt6-wayland is not installed (the check runs Qt natively on Wayland)"
    exit 77
fi
e2e_begin nimbra-e2e-gnome-wayland

use_private_xdg
start_xvfb
start_bus
sed -e 's|<type>session</type>|<type>system</type>|' -e "s|unix:dir=$WORK|unix:path=$WORK/system_bus|" \
    "$WORK/bus.conf" >"$WORK/system-bus.conf"
dbus_daemon "$WORK/system-bus.conf" || fail "cannot start a system bus"
export DBUS_SYSTEM_BUS_ADDRESS=$bus_address
mkdir -p "$WORK/schemas"
cp /usr/share/glib-2.0/schemas/*.xml /usr/share/glib-2.0/schemas/*.override "$WORK/schemas/" 2>/dev/null
printf "[org.gnome.shell]\nwelcome-dialog-last-shown-version='999'\n" >"$WORK/schemas/99_nimbra_e2e.gschema.override"
glib-compile-schemas "$WORK/schemas" || fail "cannot compile GNOME's settings schemas"
export GSETTINGS_SCHEMA_DIR=$WORK/schemas GSETTINGS_BACKEND=memory
export LIBGL_ALWAYS_SOFTWARE=1 XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME NO_AT_BRIDGE=1
FAIL_SCREENSHOT=failed

gnome-shell --nested --wayland >"$OUTDIR/gnome-shell.log" 2>&1 &
PIDS+=($!)
wait_for 600 test -S "$XDG_RUNTIME_DIR/wayland-0" || fail "the nested GNOME Shell opened no Wayland display"
# The shell opens on its overview; the desktop is what a user sees after logging in.
sleep 6
xdotool key Escape
sleep 1

export WAYLAND_DISPLAY=wayland-0 QT_QPA_PLATFORM=wayland NIMBRA_PROVIDER_BASE_URL=http://127.0.0.1:9
"$HELPER" snapshot >"$WORK/snapshot.path" || fail "cannot write the snapshot"
"$NIMBRA" >"$OUTDIR/nimbra.log" 2>&1 &
PIDS+=($!)

windows() { "$HELPER" shell-windows 2>>"$WORK/shell-windows.log"; }
board_open() { windows | grep -q '^com\.tarnwick\.Nimbra\.Widgets'; }
dashboard_focused() { windows | grep -q $'^com\\.tarnwick\\.Nimbra\t.*\tfocused$'; }

wait_for 150 board_open || fail "no widget board opened (the shell's windows: $(windows | tr '\t\n' ' ,'))"
for at in 3 8; do
    sleep $((at == 3 ? 3 : 5))
    dashboard_focused || { shot "board-on-top-$at"; fail "$at s after the start the dashboard is not the focused \
window (the shell's windows: $(windows | tr '\t\n' ' ,'))"; }
    echo "at $at s: the dashboard has the focus"
done
shot dashboard-on-top
echo "PASS: screenshots in $OUTDIR"
