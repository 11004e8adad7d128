#!/usr/bin/env bash
# Desktop trays that draw the menu themselves (StatusNotifier hosts) get it over D-Bus. The
# exported tray menu carries the marks of the automatic-execution switch after start-up and
# after each switch: "自動実行" marked while on, "自動実行停止" marked while off.
#
# Usage: tray_menu_marks.sh PATH/TO/Brellow2
set -euo pipefail

readonly overall_limit=60  # seconds for the whole test
readonly step_limit=15     # seconds for one awaited condition

program=$1
source "$(dirname "$0")/session.sh"

# The tray host: a StatusNotifier watcher with a host registered, and no XEmbed tray at all.
start_status_notifier_watcher

mkdir "$work/app"
cp "$program" "$work/app/"
"$work/app/$(basename "$program")" >"$work/app.log" 2>&1 &
app_pid=$!
await "the tray icon to register" program_item
item=$(program_item)

# The two switch entries of the exported menu, each label|enabled|toggle-type|toggle-state.
marks_are() {
    local menu
    menu=$(tray_menu "$item")
    grep -qx "自動実行|$1|checkmark|$2" <<<"$menu" && grep -qx "自動実行停止|$3|checkmark|$4" <<<"$menu"
}

# Started: switched on.
await "the tray menu of a switched-on program" marks_are 0 1 1 0

tray_callback 513 >/dev/null
await "the main window" main_window_visible
focus_main_window
xdotool key --clearmodifiers ctrl+b   # Run > Stop automatic execution
await "the tray menu of a switched-off program" marks_are 1 0 0 1
focus_main_window
xdotool key --clearmodifiers ctrl+a   # Run > Automatic execution
await "the tray menu of a switched-on program again" marks_are 0 1 1 0
echo "StatusNotifier tray menu: the marks follow each switch"
