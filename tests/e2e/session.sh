# Shared by the end-to-end tests: a virtual X display and a session bus of their own, a
# notification area to start and stop, and the program's windows as xdotool finds them.
# The sourcing script sets overall_limit and step_limit (seconds) before sourcing this.
# Every process started here is ended and reaped, and the work folder removed, on any exit.

# A hard limit on the whole run, whatever hangs: past it the script is told to stop and
# cleans up like on any other exit.
if [ -z "${SMOKE_LIMITED:-}" ]; then
    SMOKE_LIMITED=1 exec timeout --kill-after=10 "$overall_limit" "$0" "$@"
fi

readonly caption='^Brellow2 「データバックアップ」$'
readonly service=org.brellow.Brellow2
# The folder of these helpers and of the fakes the tests start.
e2e=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly e2e

work=$(mktemp -d)
started=()
app_pid=
# The program's StatusNotifier item (BUS/PATH), once a test knows it.
item=

stop_all() {
    local i
    if [ -n "$app_pid" ]; then
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        kill "${started[i]}" 2>/dev/null || true
        wait "${started[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap stop_all EXIT
trap 'echo "FAIL: interrupted" >&2; exit 1' INT TERM

fail() {
    echo "FAIL: $*" >&2
    [ -n "$item" ] && tray_menu "$item" 2>&1 | sed 's/^/  tray menu: /' >&2
    [ -f "$work/app.log" ] && sed 's/^/  program: /' "$work/app.log" >&2
    exit 1
}

# Polls a command until it succeeds, at most step_limit seconds (or $limit when set).
await() {
    local what=$1
    shift
    local deadline=$((SECONDS + ${limit:-$step_limit}))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || fail "timed out waiting for: $what"
        program_ended_while "$what" "$@" && return
        sleep 0.1
    done
}

# The program may end just after the look; the condition may be just that. Fails when the
# program ended and the condition does not hold, says so when both.
program_ended_while() {
    local what=$1
    shift
    [ -n "$app_pid" ] && ! kill -0 "$app_pid" 2>/dev/null || return 1
    "$@" >/dev/null 2>&1 || fail "the program ended while waiting for: $what"
}

# Clicks until a condition holds, at most step_limit seconds: for a window that is shown
# before it takes clicks where they are aimed (an icon a notification area docks and then
# moves, a window still being laid out). Each click gets a few seconds for the condition; a
# click more while the condition is on its way must be harmless (it shows a window already
# shown, or meets a modal window).
click_until() {
    local what=$1 click=$2
    shift 2
    local deadline=$((SECONDS + step_limit)) look_until
    while ((SECONDS < deadline)); do
        "$click" >/dev/null 2>&1 || true
        look_until=$((SECONDS + 3))
        while ((SECONDS < look_until)); do
            "$@" >/dev/null 2>&1 && return
            program_ended_while "$what" "$@" && return
            sleep 0.1
        done
    done
    fail "timed out waiting for: $what"
}

# ---- a display and a session bus, all our own ----
# A Wayland test (session_kind=wayland) starts its compositor and bus itself.
if [ "${session_kind:-x11}" = x11 ]; then
    # -noreset: the server must not restart when its last client leaves (the tray host going
    # away would race the next start).
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
    started+=($!)
    await "the virtual display" test -s "$work/display"
    export DISPLAY=":$(head -n1 "$work/display")"

    dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
    started+=($!)
    await "the session bus" test -s "$work/bus"
    export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
fi

# Bus calls go through on_bus, which a test sets when its bus belongs to another user.
on_bus=()
readonly watcher=org.kde.StatusNotifierWatcher
watcher_property() {
    "${on_bus[@]}" gdbus call --session --dest "$watcher" --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get "$watcher" "$1"
}
host_registered() { watcher_property IsStatusNotifierHostRegistered | grep -q true; }
# The item the program registered with the watcher: the one whose connection belongs to the
# program's process.
program_item() {
    local item connection
    for item in $(watcher_property RegisteredStatusNotifierItems | grep -o "'[^']*'" | tr -d "'"); do
        connection=${item%%/*}
        [ "$("${on_bus[@]}" gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
            --method org.freedesktop.DBus.GetConnectionUnixProcessID "$connection" 2>/dev/null)" = "(uint32 $app_pid,)" ] &&
            { echo "$item"; return; }
    done
    return 1
}
activate_item() {
    "${on_bus[@]}" dbus-send --session --print-reply --dest="${1%%/*}" "/${1#*/}" org.kde.StatusNotifierItem.Activate \
        int32:0 int32:0 >/dev/null
}
# The item's exported menu, one entry a line: label|enabled|toggle-type|toggle-state.
tray_menu() { "${on_bus[@]}" "$e2e/status_notifier.py" menu "$1"; }

# A StatusNotifier watcher with a host registered, the tray of a desktop that draws the icon
# and its menu itself; it logs the items that register.
start_status_notifier_watcher() {
    "$e2e/status_notifier.py" watch >"$work/watcher.log" 2>&1 &
    watcher_pid=$!
    started+=($watcher_pid)
    await "the StatusNotifier watcher" host_registered
}

start_tray_host() {
    trayer --edge top --align right --widthtype pixel --width 100 --height 24 >/dev/null 2>&1 &
    tray_host_pid=$!
    started+=($tray_host_pid)
    await "the notification area" xdotool search --class trayer
}
stop_tray_host() {
    kill "$tray_host_pid"
    wait "$tray_host_pid" || true
    await "the notification area to go" bash -c '! xdotool search --class trayer'
}

tray_callback() {
    "${on_bus[@]}" dbus-send --session --print-reply --dest="$service" /MainWindow "$service.MainWindow.TrayCallback" "int32:$1"
}
main_window_visible() { xdotool search --onlyvisible --name "$caption"; }
main_window_hidden() { ! xdotool search --onlyvisible --name "$caption"; }
# The icon's window, docked in the notification area: the program's visible window that is
# not the main window.
tray_icon() {
    local window
    for window in $(xdotool search --onlyvisible --class '^Brellow2$'); do
        [[ "$(xdotool getwindowname "$window")" =~ $caption ]] || { echo "$window"; return; }
    done
}
tray_icon_present() { [ -n "$(tray_icon)" ]; }
click_tray_icon() {
    local icon
    icon=$(tray_icon)
    [ -n "$icon" ] && xdotool mousemove --window "$icon" 8 8 click 1
}

focus_main_window() {
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "$caption" | head -n1)"
}

# Awaits the program's end and reaps it; its exit status is left in program_status.
await_program_end() {
    await "$1" bash -c "! kill -0 $app_pid"
    program_status=0
    wait "$app_pid" || program_status=$?
    app_pid=
}

close_main_window() {
    focus_main_window
    xdotool key --clearmodifiers ctrl+x   # File > Exit
    await_program_end "the program to end"
    [ "$program_status" -eq 0 ] || fail "the program ended with status $program_status"
}
