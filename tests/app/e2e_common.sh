# shellcheck shell=bash
# Shared setup of the end-to-end checks (sourced, not run): a private X server, a private session bus, XDG
# folders of their own, waiting, screenshots and clean-up. The sourcing script sets OUTDIR first.

# Exits with 77 (skipped), naming the first missing tool. $1 says what the check needs, the rest are the tools.
require_tools() {
    local needs=$1 tool
    shift
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed ($needs)"
            exit 77
        fi
    done
}

# Empties OUTDIR of the last run's pictures and logs and makes the work folder WORK (named after $1), removed
# with every process of the run on exit.
e2e_begin() {
    mkdir -p "$OUTDIR"
    rm -f "$OUTDIR"/*.png "$OUTDIR"/*.log
    WORK=$(mktemp -d "/tmp/$1.XXXXXX")
    PIDS=()
    trap cleanup EXIT
}

# Every process of this run, including those started by the application or the bus (the widget host, the
# panel's helpers): they alone carry this run's private runtime folder.
session_pids() {
    grep -lsz "^XDG_RUNTIME_DIR=$WORK/runtime\$" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3
}

cleanup() {
    local pid
    for pid in $(session_pids) "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    sleep 0.3
    for pid in $(session_pids) "${PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; done
    rm -rf "$WORK"
}

# With FAIL_SCREENSHOT set, a failure also photographs the screen under that name.
fail() {
    echo "FAIL: $*"
    [[ -n ${FAIL_SCREENSHOT:-} ]] && try_shot "$FAIL_SCREENSHOT" 2>/dev/null
    echo "--- nimbra log ---"
    tail -n 40 "$OUTDIR/nimbra.log" 2>/dev/null
    exit 1
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tries=$1
    shift
    while ((tries-- > 0)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# A screenshot of the whole screen in OUTDIR; try_shot only reports whether it could take it, shot fails the check.
try_shot() {
    import -window root "$OUTDIR/$1.png" && echo "screenshot: $OUTDIR/$1.png"
}

shot() {
    try_shot "$1" || fail "cannot take screenshot $1"
}

# "X Y W H" of a window.
window_geometry() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '
        /^X=/ {x=$2} /^Y=/ {y=$2} /^WIDTH=/ {w=$2} /^HEIGHT=/ {h=$2} END {print x, y, w, h}'
}

# The dashboard: nimbra's visible window at least 300 pixels wide.
dashboard_window() {
    local id
    for id in $(xdotool search --onlyvisible --classname '^nimbra$' 2>/dev/null); do
        read -r _ _ w h <<<"$(window_geometry "$id")"
        if [[ -n $w && $w -ge 300 && $h -ge 300 ]]; then echo "$id"; return 0; fi
    done
    return 1
}

no_dashboard() { ! dashboard_window; }

# The item's sun in the screen's region X Y W H, as "X Y" in ICON; looked for over up to $FIND_ICON_TRIES
# screenshots (50 by default), 0.2 s apart. Uses HELPER's warm-spot.
find_icon() {
    ICON=""
    for _ in $(seq "${FIND_ICON_TRIES:-50}"); do
        import -window root "$WORK/now.png" 2>/dev/null && ICON=$("$HELPER" warm-spot "$WORK/now.png" "$@") &&
            return 0
        sleep 0.2
    done
    return 1
}

# The items the StatusNotifierWatcher lists, one a line.
registered_items() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
        string:RegisteredStatusNotifierItems 2>/dev/null | sed -n 's/^ *string "\(.*\)"$/\1/p'
}

# Whether the watcher lists the item of the nimbra started last (NIMBRA_PID).
nimbra_registered() {
    registered_items | grep -q "^org\.kde\.StatusNotifierItem-$NIMBRA_PID-"
}

# Whether the bus name $1 has an owner on the session bus.
bus_name_owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        "string:$1" 2>/dev/null | grep -q "boolean true"
}

# Xvfb on the first free display from :70 (or from NIMBRA_E2E_FIRST_DISPLAY, where others share the machine's
# displays), exported as DISPLAY.
start_xvfb() {
    local n
    for n in $(seq "${NIMBRA_E2E_FIRST_DISPLAY:-70}" 99); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || break
    done
    export DISPLAY=:$n
    Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    PIDS+=($!)
    wait_for 100 xdotool getdisplaygeometry || fail "Xvfb did not start on $DISPLAY"
}

# A session bus of our own, exported as DBUS_SESSION_BUS_ADDRESS. It activates only the services in the folder
# $1 (none without it), so nothing outside the check (a keyring, a portal) starts.
# shellcheck disable=SC2120 # the folder of services is optional
start_bus() {
    local servicedir=""
    [[ -n ${1:-} ]] && servicedir="<servicedir>$1</servicedir>"
    cat >"$WORK/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$WORK</listen>
  $servicedir
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    dbus_daemon "$WORK/bus.conf" || fail "cannot start a session bus"
    export DBUS_SESSION_BUS_ADDRESS=$bus_address
}

# Starts a dbus-daemon from the configuration $1, ended with the check; its address in bus_address.
dbus_daemon() {
    local out
    out=$(dbus-daemon --config-file="$1" --fork --print-address=1 --print-pid=1) || return 1
    bus_address=$(sed -n 1p <<<"$out")
    PIDS+=("$(sed -n 2p <<<"$out")")
}

# XDG data, config, cache and runtime folders inside WORK, so the run reads and writes nothing of the user's.
use_private_xdg() {
    export XDG_DATA_HOME=$WORK/data XDG_CONFIG_HOME=$WORK/config XDG_CACHE_HOME=$WORK/cache
    export XDG_RUNTIME_DIR=$WORK/runtime
    mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}

# Qt on the X server, even in a Wayland session.
use_xcb() {
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
}
