#!/usr/bin/env bash
# End-to-end check on Ubuntu's tray: GNOME Shell (X11, in Xvfb) with its AppIndicator extension, for CTest and
# for a person:
#
#   tests/app/e2e_gnome.sh NIMBRA HELPER OUTDIR
#
# GNOME Shell runs on a private X server with private session and system buses, its settings in memory with
# the AppIndicator extension switched on, software rendering. Then:
# - NIMBRA starts; its item must be listed by the extension's watcher and show in the top bar.
# - A left click on the item opens its menu there (the extension's rule for items with a menu); the menu's
#   "Open Nimbra" opens the dashboard, hung flush below the top bar; Escape closes it again.
# - The extension is switched off (as the shell does while the screen is locked, so its watcher leaves the
#   bus) for longer than the application waits for a tray, then on: the item is back and no window is left.
# - NIMBRA starts again as in a Wayland session that runs Qt through Xwayland (XDG_SESSION_TYPE=wayland,
#   WAYLAND_DISPLAY set, the xcb platform): the dashboard must be an ordinary window there, one the window
#   manager handles, not an X11 popup that nothing but the icon could close (opened by a double click, which
#   the extension turns into the item's activation). The shell must tie that window to the installed desktop
#   entry (com.tarnwick.Nimbra.desktop, by its StartupWMClass), else a pinned Nimbra shows as a second icon.
# - GNOME Shell restarts (--replace): the item must be listed again, and no window is left that the user did
#   not open.
# No network: provider addresses point at a closed local port. Screenshots stay in OUTDIR.
#
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

NIMBRA=${1:?nimbra binary}
HELPER=${2:?nimbra-e2e-helper binary}
OUTDIR=${3:?output folder}
EXTENSION=ubuntu-appindicators@ubuntu.com

# shellcheck source=SCRIPTDIR/e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
require_tools "the check needs GNOME Shell, Xvfb, xdotool, xwininfo, xprop, wmctrl, ImageMagick, dbus, glib" \
    gnome-shell Xvfb xdotool xwininfo xprop wmctrl import dbus-daemon dbus-send dbus-monitor glib-compile-schemas
if [[ ! -d /usr/share/gnome-shell/extensions/$EXTENSION ]]; then
    echo "SKIP: gnome-shell-extension-appindicator is not installed (the check needs GNOME's tray)"
    exit 77
fi
e2e_begin nimbra-e2e-gnome

# GNOME's settings in memory, from the installed schemas with the extension switched on.
compile_schemas() {
    mkdir -p "$WORK/schemas"
    cp /usr/share/glib-2.0/schemas/*.xml /usr/share/glib-2.0/schemas/*.override "$WORK/schemas/" 2>/dev/null
    cat >"$WORK/schemas/99_nimbra_e2e.gschema.override" <<OVERRIDE
[org.gnome.shell]
enabled-extensions=['$EXTENSION']
welcome-dialog-last-shown-version='999'
OVERRIDE
    glib-compile-schemas "$WORK/schemas" || fail "cannot compile GNOME's settings schemas"
    export GSETTINGS_SCHEMA_DIR=$WORK/schemas GSETTINGS_BACKEND=memory
}

# The application's desktop entry, installed as `cmake --install` puts it, for the shell to tie windows to.
# GLib leaves out an entry whose Exec program is not on PATH, so nimbra is put there too.
install_entry() {
    mkdir -p "$XDG_DATA_HOME/applications" "$WORK/bin"
    cp "$(dirname "${BASH_SOURCE[0]}")/../../NimbraMac/app/data/com.tarnwick.Nimbra.desktop" \
        "$XDG_DATA_HOME/applications/" || fail "cannot install the desktop entry"
    ln -sf "$NIMBRA" "$WORK/bin/nimbra"
    export PATH=$WORK/bin:$PATH
}

# The windows the shell ties to an application, as "WM_CLASS<tab>application id" lines.
shell_windows() { "$HELPER" shell-windows 2>>"$WORK/shell-windows.log"; }

dashboard_tied_to_entry() { shell_windows | grep -q $'^Nimbra\tcom.tarnwick.Nimbra.desktop\t'; }

# The shell asks logind on the system bus; a private one keeps it from the machine's.
start_system_bus() {
    sed -e 's|<type>session</type>|<type>system</type>|' -e "s|unix:dir=$WORK|unix:path=$WORK/system_bus|" \
        "$WORK/bus.conf" >"$WORK/system-bus.conf"
    dbus_daemon "$WORK/system-bus.conf" || fail "cannot start a system bus"
    export DBUS_SYSTEM_BUS_ADDRESS=$bus_address
}

start_shell() {
    # The shell takes a restart within a minute of its start for a crash at start-up, and then starts with
    # every extension off; a user's restart comes later than this check's.
    rm -f "$XDG_RUNTIME_DIR/gnome-shell-disable-extensions"
    gnome-shell --x11 --replace >>"$OUTDIR/gnome-shell.log" 2>&1 &
    SHELL_PID=$!
    PIDS+=("$SHELL_PID")
    wait_for 900 bus_name_owned org.kde.StatusNotifierWatcher ||
        fail "GNOME Shell put no StatusNotifierWatcher on the bus (is the extension working?)"
    # The shell opens on its overview; the desktop is what a user sees after logging in.
    sleep 3
    xdotool key Escape
    sleep 1
}

start_session() {
    use_private_xdg
    start_xvfb
    start_bus
    start_system_bus
    compile_schemas
    install_entry
    use_xcb
    export LIBGL_ALWAYS_SOFTWARE=1 XDG_SESSION_TYPE=x11 XDG_CURRENT_DESKTOP=GNOME NO_AT_BRIDGE=1
    start_shell
    export NIMBRA_PROVIDER_BASE_URL=http://127.0.0.1:9
    "$HELPER" snapshot >"$WORK/snapshot.path" || fail "cannot write the snapshot"
    dbus-monitor --session "type='method_call',interface='com.canonical.dbusmenu',member='AboutToShow'" \
        >"$WORK/menu-calls.log" 2>&1 &
    PIDS+=($!)
}

# Starts nimbra with the environment given (as VAR=value words) and waits until the top bar shows it.
start_app() {
    env "$@" "$NIMBRA" >"$OUTDIR/nimbra.log" 2>&1 &
    NIMBRA_PID=$!
    PIDS+=("$NIMBRA_PID")
    wait_for 200 nimbra_registered || fail "the extension does not list the item (listed: $(registered_items))"
    find_icon 640 0 640 32 || { shot no-icon; fail "the top bar shows no item with the sun"; }
}

# Ends nimbra and waits until its item has left the top bar, so that the next one's is the only sun there.
stop_app() {
    kill "$NIMBRA_PID"
    wait "$NIMBRA_PID" 2>/dev/null
    wait_for 50 top_bar_has_no_sun || fail "the item stayed in the top bar after nimbra ended"
}

top_bar_has_no_sun() {
    import -window root "$WORK/now.png" 2>/dev/null && ! "$HELPER" warm-spot "$WORK/now.png" 640 0 640 32
}

menu_opened() { grep -q AboutToShow "$WORK/menu-calls.log"; }

# A left click on the item opens its menu; its first entry, "Open Nimbra", opens the dashboard. The extension
# reads the menu a moment after the item shows, and a notification may take the first click: a few tries.
open_from_menu() {
    local x y try
    read -r x y <<<"$ICON"
    for try in 1 2 3 4; do
        : >"$WORK/menu-calls.log"
        xdotool mousemove "$x" "$y" click 1
        if wait_for 20 menu_opened; then
            sleep 0.8
            shot "$1-menu"
            # The first entry, just below the top bar.
            xdotool mousemove "$x" 56 click 1
            wait_for 50 dashboard_window && break
        fi
        ((try < 4)) || { shot "$1-no-dashboard"; fail "no left click on the item led to the dashboard"; }
        xdotool key Escape
        sleep 1.5
    done
    sleep 0.8
    shot "$1-dashboard"
}

# The extension activates an item with a menu on a double click.
open_by_double_click() {
    local x y
    read -r x y <<<"$ICON"
    sleep 1
    xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
    wait_for 50 dashboard_window || { shot "$1-no-dashboard"; fail "a double click did not open the dashboard"; }
    sleep 0.8
    shot "$1-dashboard"
}

# The dashboard's top edge against the top bar's foot (the top of the screen's work area), within 4 pixels.
check_flush_below_top_bar() {
    local top _
    top=$(xprop -root _NET_WORKAREA | sed -n 's/.*= *[0-9]*, *\([0-9]*\),.*/\1/p')
    read -r _ y _ _ <<<"$(window_geometry "$(dashboard_window)")"
    echo "top bar's foot at $top, dashboard's top at $y"
    ((y >= top - 4 && y <= top + 4)) || fail "the dashboard's top ($y) is not at the top bar's foot ($top)"
}

extensions() {
    dbus-send --session --print-reply --dest=org.gnome.Shell /org/gnome/Shell \
        "org.gnome.Shell.Extensions.$1" "string:$EXTENSION" >/dev/null
}

# What a lock does to the tray: the shell switches the extension off for the lock screen and on again after
# the unlock (here without the lock screen, which needs logind). Away past the application's wait for its
# tray, then back: only the item returns.
lock_and_unlock() {
    extensions DisableExtension || fail "the shell did not switch the extension off"
    wait_for 100 bash -c "! dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.kde.StatusNotifierWatcher | grep -q 'boolean true'" ||
        fail "the tray's watcher stayed on the bus with the extension off"
    sleep 5
    shot locked
    extensions EnableExtension || fail "the shell did not switch the extension on again"
    wait_for 100 bus_name_owned org.kde.StatusNotifierWatcher || fail "the tray's watcher did not come back"
    wait_for 100 nimbra_registered || fail "after the unlock the item is not listed again"
    sleep 2
    shot unlocked
    no_dashboard || fail "after a lock and unlock a dashboard window the user did not open is on the desktop"
}

start_session
FAIL_SCREENSHOT=failed

start_app
echo "registered; the item's sun at $ICON"
shot top-bar
open_from_menu x11
xwininfo -id "$(dashboard_window)" | grep -q "Override Redirect State: yes" ||
    fail "on X11 the dashboard is not hung from the top bar as a popup"
check_flush_below_top_bar
xdotool key Escape
wait_for 30 no_dashboard || { shot escape; fail "Escape did not close the dashboard"; }
echo "locking and unlocking the screen"
lock_and_unlock
stop_app


echo "as in a Wayland session through Xwayland"
start_app XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-nimbra-e2e
open_from_menu wayland-session
xwininfo -id "$(dashboard_window)" | grep -q "Override Redirect State: no" ||
    fail "in a Wayland session the dashboard is an X11 popup, which no click elsewhere closes"
wait_for 20 dashboard_tied_to_entry ||
    fail "GNOME Shell does not tie the dashboard to com.tarnwick.Nimbra.desktop (its windows: $(shell_windows | tr '\t\n' '=,'))"

# What the user opened stays through the restart; the check closes it first, to see that nothing else opens.
wmctrl -i -c "$(dashboard_window)"
wait_for 30 no_dashboard || fail "closing the dashboard window with a tray present did not hide it"
echo "restarting GNOME Shell"
start_shell
wait_for 200 nimbra_registered || fail "after GNOME Shell restarted the item is not listed again"
sleep 2
shot after-restart
no_dashboard || fail "after a shell restart a dashboard window the user did not open is on the desktop"
stop_app
echo "PASS: screenshots in $OUTDIR"
