#!/usr/bin/env bash
# Drives the real program on a virtual X display with a notification area, the way a person
# would: the first start creates the store and shows no window, Ctrl+Shift+Q brings the main
# window up, closing it ends the program, and a second start is a normal start whose window
# the tray callback on the session bus and a click on the tray icon bring up, also after the
# notification area was restarted. Without a notification area the program shows its error
# box and ends.
#
# Usage: program_smoke.sh PATH/TO/Brellow2
# Every process started here is ended and reaped, and the work folder removed, on any exit.
set -euo pipefail

readonly overall_limit=90   # seconds for the whole test
readonly step_limit=15      # seconds for one awaited condition

# A hard limit on the whole run, whatever hangs: past it this script is told to stop and
# cleans up like on any other exit.
if [ -z "${SMOKE_LIMITED:-}" ]; then
    SMOKE_LIMITED=1 exec timeout --kill-after=10 "$overall_limit" "$0" "$@"
fi

program=$1
readonly caption='^Brellow2 「データバックアップ」$'
readonly service=org.brellow.Brellow2

work=$(mktemp -d)
started=()
app_pid=

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
    [ -f "$work/app.log" ] && sed 's/^/  program: /' "$work/app.log" >&2
    exit 1
}

# Polls a command until it succeeds, at most step_limit seconds.
await() {
    local what=$1
    shift
    local deadline=$((SECONDS + step_limit))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || fail "timed out waiting for: $what"
        [ -z "$app_pid" ] || kill -0 "$app_pid" 2>/dev/null || fail "the program ended while waiting for: $what"
        sleep 0.1
    done
}

# ---- a display with a notification area and a session bus, all our own ----
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
started+=($!)
await "the virtual display" test -s "$work/display"
export DISPLAY=":$(head -n1 "$work/display")"

dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
started+=($!)
await "the session bus" test -s "$work/bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")

start_tray_host() {
    trayer --edge top --align right --widthtype pixel --width 100 --height 24 >/dev/null 2>&1 &
    tray_host_pid=$!
    started+=($tray_host_pid)
    await "the notification area" xdotool search --class trayer
}
start_tray_host

# The program keeps its store beside its executable: give it a fresh folder.
mkdir "$work/app"
cp "$program" "$work/app/"
store="$work/app/qzbackup.db"

tray_callback() {
    dbus-send --session --print-reply --dest="$service" /MainWindow "$service.MainWindow.TrayCallback" "int32:$1"
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

main_window_focused() {
    [ "$(xdotool getwindowfocus)" = "$(xdotool search --onlyvisible --name "$caption" | head -n1)" ]
}
focus_main_window() {
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "$caption" | head -n1)"
}

start_program() {
    "$work/app/$(basename "$program")" >"$work/app.log" 2>&1 &
    app_pid=$!
    # A callback that does nothing answers once the program's event loop runs.
    await "the program's event loop" tray_callback 0
}

close_main_window() {
    focus_main_window
    xdotool key --clearmodifiers ctrl+x   # File > Exit
    await "the program to end" bash -c "! kill -0 $app_pid"
    local status=0
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# ---- first start ----
[ ! -e "$store" ] || fail "the store exists before the first start"
start_program
[ -f "$store" ] || fail "the first start did not create qzbackup.db"
[ "$(stat -c %a "$store")" = 600 ] || fail "qzbackup.db is readable by others"
main_window_hidden || fail "a window is visible after the start"
await "the tray icon" tray_icon_present

xdotool key --clearmodifiers ctrl+shift+q
await "the hot key to show the main window" main_window_visible
await "the hot key to give the main window the focus" main_window_focused

close_main_window
echo "first start: store created, hidden at start, hot key shows the window, closing ends the program"

# ---- second start ----
start_program
main_window_hidden || fail "a window is visible after the second start"
tray_callback 513 >/dev/null
await "the tray callback to show the main window" main_window_visible

focus_main_window
xdotool key --clearmodifiers ctrl+n   # View > Hide
await "Hide to hide the main window" main_window_hidden

# The notification area restarts, as a desktop panel may: the icon comes back.
old_icon=$(tray_icon)
kill "$tray_host_pid"
wait "$tray_host_pid" || true
start_tray_host
new_icon_docked() { local icon; icon=$(tray_icon); [ -n "$icon" ] && [ "$icon" != "$old_icon" ]; }
await "the tray icon back in the new notification area" new_icon_docked
xdotool mousemove --window "$(tray_icon)" 8 8 click 1
await "a click on the tray icon to show the main window" main_window_visible

# Caps Lock does not keep the hot key from arriving.
focus_main_window
xdotool key --clearmodifiers ctrl+n
await "Hide to hide the main window" main_window_hidden
xdotool key Caps_Lock
xdotool key ctrl+shift+q
await "the hot key with Caps Lock on to show the main window" main_window_visible
xdotool key Caps_Lock

close_main_window
echo "second start: normal start; tray callback, tray icon (also after a tray restart) and hot key with Caps Lock show the window; closing ends the program"

# ---- the session ends: logout, kill, Ctrl+C ----
for signal in TERM HUP INT; do
    start_program
    kill -"$signal" "$app_pid"
    # A program that does not end is caught by the overall time limit.
    status=0
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" -eq 0 ] || fail "SIG$signal ended the program with status $status"
done
echo "SIGTERM, SIGHUP and SIGINT close the program like its own menu"

# ---- a start without a notification area ----
kill "$tray_host_pid"
wait "$tray_host_pid" || true
await "the notification area to go" bash -c '! xdotool search --class trayer'
"$work/app/$(basename "$program")" >"$work/app.log" 2>&1 &
app_pid=$!
error_box() { xdotool search --onlyvisible --name '^Brellow2$' | head -n1; }
error_box_shown() { [ -n "$(error_box)" ]; }
await "the error box about the missing notification area" error_box_shown
xdotool windowfocus --sync "$(error_box)"
xdotool key --clearmodifiers Return
await "the program to end after the error box" bash -c "! kill -0 $app_pid"
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" -ne 0 ] || fail "the program reported success although it could not start"
echo "no notification area: the error box is shown and the program ends"
