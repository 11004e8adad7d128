#!/usr/bin/env bash
# Drives the real program on a virtual X display with a notification area, the way a person
# would: the first start creates the store and shows no window, Ctrl+Shift+Q brings the main
# window up, closing it ends the program, and a second start is a normal start whose window
# the tray callback on the session bus and a click on the tray icon bring up, also after the
# notification area was restarted. Under the users' own locale (ja_JP.UTF-8) the schedule
# saved through its dialog holds "H:mm:ss" with ":". Without a notification area the program
# waits for one, then shows its error box and ends.
#
# Usage: program_smoke.sh PATH/TO/Brellow2
set -euo pipefail

readonly overall_limit=150  # seconds for the whole test
readonly step_limit=30      # seconds for one awaited condition
# Without a notification area the program waits 30 seconds for one before it gives up.
readonly no_tray_limit=45

program=$1
source "$(dirname "$0")/session.sh"
start_tray_host

# The program keeps its store beside its executable: give it a fresh folder.
mkdir "$work/app"
cp "$program" "$work/app/"
store="$work/app/qzbackup.db"

main_window_focused() {
    [ "$(xdotool getwindowfocus)" = "$(xdotool search --onlyvisible --name "$caption" | head -n1)" ]
}
start_program() {
    "$work/app/$(basename "$program")" >"$work/app.log" 2>&1 &
    app_pid=$!
    # A callback that does nothing answers once the program's event loop runs.
    await "the program's event loop" tray_callback 0
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
click_until "a click on the tray icon to show the main window" click_tray_icon main_window_visible

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

# ---- the users' own locale ----
# Under ja_JP the C library writes times as "%H時%M分%S秒"; the store holds "H:mm:ss" all the
# same, so a schedule saved here fires under any other locale. The row below is what an
# earlier release wrote under ja_JP; the dialog reads it and saves it back with ":".
sqlite3 "$store" "delete from m_schedule; insert into m_schedule values (0,'','','7時05分00秒')"
start_program_japanese() {
    env -u LC_ALL -u LC_TIME -u LANGUAGE LANG=ja_JP.UTF-8 "$work/app/$(basename "$program")" >"$work/app.log" 2>&1 &
    app_pid=$!
    await "the program's event loop" tray_callback 0
}
start_program_japanese
tray_callback 513 >/dev/null
await "the tray callback to show the main window" main_window_visible
focus_main_window
xdotool key --clearmodifiers ctrl+s   # File > Settings
target_list() { xdotool search --onlyvisible --name '^バックアップ設定（対象リスト）$' | head -n1; }
target_list_shown() { [ -n "$(target_list)" ]; }
await "the target list window" target_list_shown
schedule_dialog() { xdotool search --onlyvisible --name '^バックアップスケジュール作成$' | head -n1; }
schedule_dialog_shown() { [ -n "$(schedule_dialog)" ]; }
click_schedule_button() { xdotool mousemove --window "$(target_list)" 470 95 click 1; }   # "スケジュール設定", under the button strip
click_until "the schedule dialog" click_schedule_button schedule_dialog_shown
xdotool windowfocus --sync "$(schedule_dialog)"
xdotool key --clearmodifiers Return   # OK
await "OK to close the schedule dialog" bash -c '! xdotool search --onlyvisible --name "^バックアップスケジュール作成$"'
stored_time=$(sqlite3 "$store" "select bk_time from m_schedule")
[ "$stored_time" = "07:05:00" ] || fail "the schedule saved under ja_JP holds '$stored_time', not 07:05:00"
! xdotool search --onlyvisible --name '^Brellow2$' >/dev/null || fail "an error box is shown"
xdotool windowfocus --sync "$(target_list)"
xdotool key --clearmodifiers Escape
await "the target list window to close" bash -c '! xdotool search --onlyvisible --name "^バックアップ設定（対象リスト）$"'
close_main_window
echo "ja_JP.UTF-8: the schedule dialog reads the earlier release's 7時05分00秒 and saves 07:05:00"

# ---- the session ends: logout, kill, Ctrl+C ----
for signal in TERM HUP INT; do
    start_program
    kill -"$signal" "$app_pid"
    await_program_end "SIG$signal to end the program"
    [ "$program_status" -eq 0 ] || fail "SIG$signal ended the program with status $program_status"
done
echo "SIGTERM, SIGHUP and SIGINT close the program like its own menu"

# ---- a start without a notification area ----
stop_tray_host
"$work/app/$(basename "$program")" >"$work/app.log" 2>&1 &
app_pid=$!
error_box() { xdotool search --onlyvisible --name '^Brellow2$' | head -n1; }
error_box_shown() { [ -n "$(error_box)" ]; }
limit=$no_tray_limit await "the error box about the missing notification area" error_box_shown
xdotool windowfocus --sync "$(error_box)"
xdotool key --clearmodifiers Return
await_program_end "the program to end after the error box"
[ "$program_status" -ne 0 ] || fail "the program reported success although it could not start"
echo "no notification area: after the wait for one the error box is shown and the program ends"
