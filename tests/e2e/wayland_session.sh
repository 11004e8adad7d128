#!/usr/bin/env bash
# Runs the real program in a Wayland session: sway on a headless output with waybar's
# notification area (StatusNotifier), and a fake desktop portal offering global shortcuts.
# The icon registers with waybar's watcher and activating it shows the main window; the tray
# menu asked for with no window shown opens over the main window; Ctrl+Shift+Q bound through
# the portal shows the main window too. sway will not run as root, so the session, from its
# bus on, belongs to an unprivileged user.
#
# Usage: wayland_session.sh PATH/TO/Brellow2
set -euo pipefail

readonly overall_limit=120  # seconds for the whole test
readonly step_limit=20      # seconds for one awaited condition
readonly session_kind=wayland

program=$1
source "$(dirname "$0")/session.sh"

readonly user=nobody
chmod 711 "$work"
install -d -o "$user" -m 700 "$work/home" "$work/run"
install -d -o "$user" "$work/app"
install -o "$user" -m 755 "$program" "$work/app/"
# What the user runs is copied where the user can read it: the source tree may lie in a
# folder private to root (a clone under mktemp -d).
install -o "$user" -m 755 "$e2e/../support/fake_desktop_portal.py" "$work/app/"
readonly runtime="$work/run"
# The user's processes start in a folder the user may enter, as a desktop session's do.
cd "$work"

# No accessibility bus, which would be one more bus to end.
session_env=(PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$runtime" LC_ALL=C.UTF-8 NO_AT_BRIDGE=1)
# A command run as the user, in the session's environment. setpriv and env replace themselves
# with the command, so one started in the background is ended by its $!.
run_as=(setpriv --reuid="$user" --regid=nogroup --clear-groups env -i)
as_user() { "${run_as[@]}" "${session_env[@]}" "$@"; }
spawn_as_user() {
    local log=$1
    shift
    "${run_as[@]}" "${session_env[@]}" "$@" >"$log" 2>&1 &
    started+=($!)
}
on_bus=(as_user)

"${run_as[@]}" "${session_env[@]}" dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
started+=($!)
await "the session bus" test -s "$work/bus"
session_env+=(DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$work/bus")")

printf 'output HEADLESS-1 resolution 1024x768\n' >"$work/sway.config"
printf '{"layer": "top", "position": "top", "height": 24, "modules-right": ["tray"], "tray": {}}\n' \
    >"$work/waybar.config"
chmod 644 "$work/sway.config" "$work/waybar.config"
spawn_as_user "$work/sway.log" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$work/sway.config"
await "the compositor" test -S "$runtime/wayland-1"
session_env+=(WAYLAND_DISPLAY=wayland-1 XDG_SESSION_TYPE=wayland)
await "the compositor's control socket" bash -c "ls '$runtime'/sway-ipc.*.sock"
session_env+=(SWAYSOCK="$(ls "$runtime"/sway-ipc.*.sock)")

spawn_as_user "$work/waybar.log" waybar -c "$work/waybar.config"
await "waybar's StatusNotifier host" host_registered

spawn_as_user "$work/portal.log" "$work/app/fake_desktop_portal.py" --press-on-usr1
portal_pid=$!
await "the desktop portal" grep -qx ready "$work/portal.log"

# The program's windows in sway's tree, one a line, tab-separated: visible (1/0), floating
# (1/0), x, y, width, height, caption.
program_windows() {
    as_user swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node, floating=False):
    yield node, floating
    for child in node.get("nodes", []):
        yield from walk(child, floating)
    for child in node.get("floating_nodes", []):
        yield from walk(child, True)
for node, floating in walk(json.load(sys.stdin)):
    if node.get("pid") == int(sys.argv[1]):
        box = node["rect"]
        print(int(bool(node.get("visible"))), int(floating), box["x"], box["y"], box["width"], box["height"],
              node.get("name") or "", sep="\t")' "$app_pid"
}
readonly main_caption="Brellow2 「データバックアップ」"
window_visible() {
    program_windows | awk -F'\t' -v main="$main_caption" '$1 == 1 && $7 == main { shown = 1 } END { exit !shown }'
}
window_hidden() { ! window_visible; }
# The tray menu opened on the shown main window: the program's only other window in sway's
# tree is the menu, small and over the main window, not one laid out to fill the output.
menu_over_main_window() {
    program_windows | awk -F'\t' -v main="$main_caption" '
        $1 == 1 && $7 == main { mains++; mx = $3; my = $4; mw = $5; mh = $6; next }
        $7 == "Brellow2" { menus++; shown = $1; floating = $2; x = $3; y = $4; w = $5; h = $6; next }
        { others++ }
        END {
            inside = x >= mx && x + w <= mx + mw && y >= my && y + h <= my + mh
            small = w < mw / 2 && h < mh / 2
            exit !(mains == 1 && menus == 1 && !others && shown && floating && inside && small)
        }'
}

start_program() {
    "${run_as[@]}" "${session_env[@]}" QT_QPA_PLATFORM=wayland "$work/app/$(basename "$program")" >"$work/app.log" 2>&1 &
    app_pid=$!
    await "the icon to register with waybar's watcher" program_item
}
close_program() {
    as_user swaymsg "[pid=$app_pid] kill" >/dev/null
    await_program_end "the program to end"
    [ "$program_status" -eq 0 ] || fail "the program ended with status $program_status"
}

# ---- the icon in waybar ----
start_program
window_hidden || fail "a window is visible after the start"
activate_item "$(program_item)" || fail "the icon did not take the activation"
await "activating the icon to show the main window" window_visible
close_program
echo "waybar: the icon registers with its watcher; activating it shows the main window"

# ---- the tray menu with no window shown ----
start_program
window_hidden || fail "a window is visible after the start"
tray_callback 516 >/dev/null
await "the tray callback to open the menu over the main window" menu_over_main_window
close_program
echo "tray menu: with no window shown it opens over the main window, not as a window filling the output"

# ---- the hot key through the portal ----
start_program
await "the hot key's binding at the portal" grep -qx "bind show-main-window CTRL+SHIFT+q" "$work/portal.log"
window_hidden || fail "a window is visible after the start"
kill -USR1 "$portal_pid"
await "Ctrl+Shift+Q through the portal to show the main window" window_visible
grep -q "hot key is not available" "$work/app.log" && fail "the program says the hot key is not available"
close_program
echo "portal: Ctrl+Shift+Q is bound there; its press shows the main window"
