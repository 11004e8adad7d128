#!/usr/bin/env bash
# Desktop trays that draw the menu themselves (StatusNotifier hosts) get it over D-Bus. The
# exported tray menu carries the marks of the automatic-execution switch after start-up and
# after each switch: "自動実行" marked while on, "自動実行停止" marked while off.
#
# Usage: tray_menu_marks.sh PATH/TO/Brellow2
# Every process started here is ended and reaped, and the work folder removed, on any exit.
set -euo pipefail

readonly step_limit=15   # seconds for one awaited condition
if [ -z "${TRAY_MENU_LIMITED:-}" ]; then
    TRAY_MENU_LIMITED=1 exec timeout --kill-after=10 60 "$0" "$@"
fi

program=$1
here=$(cd "$(dirname "$0")" && pwd)
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

item=
fail() {
    echo "FAIL: $*" >&2
    [ -n "$item" ] && "$here/status_notifier.py" menu "$item" 2>&1 | sed 's/^/  tray menu: /' >&2
    [ -f "$work/app.log" ] && sed 's/^/  program: /' "$work/app.log" >&2
    exit 1
}
await() {
    local what=$1
    shift
    local deadline=$((SECONDS + step_limit))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || fail "timed out waiting for: $what"
        sleep 0.1
    done
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
started+=($!)
await "the virtual display" test -s "$work/display"
export DISPLAY=":$(head -n1 "$work/display")"
dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
started+=($!)
await "the session bus" test -s "$work/bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")

# The tray host: a StatusNotifier watcher with a host registered, and no XEmbed tray at all.
"$here/status_notifier.py" watch >"$work/items" &
started+=($!)
await "the StatusNotifier watcher" dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
    /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
    string:org.kde.StatusNotifierWatcher string:IsStatusNotifierHostRegistered

mkdir "$work/app"
cp "$program" "$work/app/"
"$work/app/$(basename "$program")" >"$work/app.log" 2>&1 &
app_pid=$!
await "the tray icon to register" test -s "$work/items"
item=$(head -n1 "$work/items")

# The two switch entries of the exported menu, each label|enabled|toggle-type|toggle-state.
marks_are() {
    local menu
    menu=$("$here/status_notifier.py" menu "$item")
    grep -qx "自動実行|$1|checkmark|$2" <<<"$menu" && grep -qx "自動実行停止|$3|checkmark|$4" <<<"$menu"
}

# Started: switched on.
await "the tray menu of a switched-on program" marks_are 0 1 1 0

dbus-send --session --print-reply --dest="$service" /MainWindow "$service.MainWindow.TrayCallback" int32:513 >/dev/null
await "the main window" xdotool search --onlyvisible --name "$caption"
window=$(xdotool search --onlyvisible --name "$caption" | head -n1)
xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers ctrl+b   # Run > Stop automatic execution
await "the tray menu of a switched-off program" marks_are 1 0 0 1
xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers ctrl+a   # Run > Automatic execution
await "the tray menu of a switched-on program again" marks_are 0 1 1 0
echo "StatusNotifier tray menu: the marks follow each switch"
