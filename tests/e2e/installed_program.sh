#!/usr/bin/env bash
# Runs the program as installed into a prefix, for a user whose home is a fresh folder:
# started before the notification area, it waits for one and docks its icon when trayer
# comes five seconds later; its store lands in ~/.local/share/Brellow2, not beside the
# executable; a second start shows the first one's window and ends. Then once more against
# a StatusNotifier watcher that appears five seconds after the start: the icon registers
# there, and activating it shows the window.
#
# Usage: installed_program.sh BUILD_FOLDER
set -euo pipefail

readonly overall_limit=150  # seconds for the whole test
readonly step_limit=15      # seconds for one awaited condition
readonly late=5             # seconds the notification area comes after the program

build=$1
source "$(dirname "$0")/session.sh"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
program="$prefix/bin/Brellow2"
export HOME="$work/home"
mkdir "$HOME"
unset XDG_DATA_HOME XDG_CONFIG_HOME
store="$HOME/.local/share/Brellow2/qzbackup.db"

start_program() {
    "$program" >"$work/app.log" 2>&1 &
    app_pid=$!
}

# ---- a notification area that comes late ----
start_program
sleep "$late"
kill -0 "$app_pid" || fail "the program ended before the notification area came"
start_tray_host
await "the tray icon in the late notification area" tray_icon_present
await "the program's event loop" tray_callback 0
[ -f "$store" ] || fail "the store is not in the user's data folder"
[ ! -e "$prefix/bin/qzbackup.db" ] || fail "a store was made beside the installed program"
[ "$(stat -c %a "$(dirname "$store")")" = 700 ] || fail "the data folder is open to others"
main_window_hidden || fail "a window is visible after the start"
echo "late notification area: the icon docks; the store is in ~/.local/share/Brellow2"

# ---- a second start ----
status=0
timeout "$step_limit" "$program" >"$work/second.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "the second start ended with status $status: $(cat "$work/second.log")"
await "the second start to show the first one's main window" main_window_visible
kill -0 "$app_pid" || fail "the first program ended"
close_main_window
echo "second start: the first one's window is shown and the second ends"

# ---- a StatusNotifier watcher that comes late ----
stop_tray_host
start_program
sleep "$late"
kill -0 "$app_pid" || fail "the program ended before the watcher came"
start_status_notifier_watcher
await "the icon to register with the watcher" program_item
item=$(program_item)
activate_item "$item" || fail "the icon did not take the activation"
await "activating the icon to show the main window" main_window_visible
close_main_window
echo "late StatusNotifier watcher: the icon registers there; activating it shows the window"
