#!/usr/bin/env bash
# Runs the real program against a real StatusNotifier host: the Xfce panel with its
# notification area on a virtual display. The program's icon registers with the panel's
# watcher, and a click on it in the panel shows the main window; activating the item over the
# bus does the same.
#
# Usage: status_notifier_panel.sh PATH/TO/Brellow2
set -euo pipefail

readonly overall_limit=120  # seconds for the whole test
readonly step_limit=20      # seconds for one awaited condition

program=$1
source "$(dirname "$0")/session.sh"

# A home of its own with a panel that holds only the notification area, at the top left.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
cp "$(dirname "$0")/xfce4-panel.xml" "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/"
# No accessibility bus, which would be one more bus to end.
export NO_AT_BRIDGE=1

# The panel's settings service, started here rather than by the bus, so it is ended and
# reaped with the rest.
/usr/lib/*/xfce4/xfconf/xfconfd >"$work/xfconfd.log" 2>&1 &
started+=($!)
await "the panel's settings service" gdbus introspect --session --dest org.xfce.Xfconf --object-path /org/xfce/Xfconf
xfce4-panel --disable-wm-check >"$work/panel.log" 2>&1 &
started+=($!)
await "the panel's StatusNotifier host" host_registered

mkdir "$work/app"
cp "$program" "$work/app/"
"$work/app/$(basename "$program")" >"$work/app.log" 2>&1 &
app_pid=$!
await "the program's event loop" tray_callback 0

await "the icon to register with the panel's watcher" program_item
item=$(program_item)
main_window_hidden || fail "a window is visible after the start"
! tray_icon_present || fail "the icon is an XEmbed window although a StatusNotifier host runs"
echo "the icon is registered with the panel: $item"

# A click on the icon, the panel's only item at its left end.
panel=$(xdotool search --onlyvisible --class '^xfce4-panel$' | head -n1)
[ -n "$panel" ] || fail "the panel has no window"
eval "$(xdotool getwindowgeometry --shell "$panel")"
click_icon() { xdotool mousemove --sync $((X + HEIGHT / 2)) $((Y + HEIGHT / 2)) click 1; }
click_until "a click on the icon in the panel to show the main window" click_icon main_window_visible
echo "a click on the icon in the panel shows the main window"

# Activating the item through the watcher's entry does the same.
focus_main_window
xdotool key --clearmodifiers ctrl+n   # View > Hide
await "the main window to hide" main_window_hidden
activate_item "$item" || fail "the icon did not take the activation"
await "activating the item to show the main window" main_window_visible
close_main_window
echo "activating the registered item shows the main window"
