#!/usr/bin/env bash
# Under a real window manager, while another program holds the keyboard focus
# and Fruitwake is out of sight (mode "tray": hidden to the tray; "minimised":
# no tray, minimised), a ripe alert shows the window and its box without taking
# the focus, and the desktop's notification service gets one Notify call.
set -uo pipefail
bin=$1 tool=$2 mode=$3
. "$(dirname "$0")/harness.sh"
tools="openbox xdotool xterm xwininfo dbus-run-session"
[ "$mode" = tray ] && tools="$tools trayer"
need_tools $tools
need_python_bus
# A private session bus, so the fake service is the only one there.
on_private_bus "$@"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; sleep 0.2; kill -9 $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"; echo "--- program's stderr"; cat "$work/stderr"
  echo "--- notifications"; cat "$work/notes" 2>/dev/null; exit 1
}

. "$(dirname "$0")/private_x.sh"
start_x 1024x768
export QT_QPA_PLATFORM=xcb TZ=Asia/Shanghai
private_homes
openbox --sm-disable &
[ "$mode" = tray ] && trayer --edge top --align right --widthtype pixel --width 64 &
/usr/bin/python3 "$(dirname "$0")/fake_notifications.py" "$work/notes" >"$work/ready" &
wait_for 'grep -q ready "$work/ready"' || fail "the fake notification service did not start"

"$tool" write "$XDG_DATA_HOME/fruitwake/foodinfo.dat" $(( $(date +%s) + 10 )) 1
"$bin" 2>"$work/stderr" &
wait_for 'win=$(xdotool search --onlyvisible --name "^FruitwakeV")' || fail "no main window"
sleep 1
xdotool windowminimize --sync "$win" || fail "could not minimise"
xterm -title holder &
wait_for 'term=$(xdotool search --onlyvisible --name "^holder$")' || fail "no xterm"
xdotool windowactivate --sync "$term"
sleep 0.5
focus=$(xdotool getwindowfocus)
[ "$focus" != "$win" ] || fail "the focus did not move to the xterm"
[ -s "$work/notes" ] && fail "a notification before the alert"
wait_for 'xdotool search --onlyvisible --name "^Fruitwake$"' || fail "no alert box"
sleep 1
now=$(xdotool getwindowfocus)
[ "$now" = "$focus" ] || fail "the focus moved from $focus to $now ($(xdotool getwindowname "$now"))"
xwininfo -id "$win" | grep -q IsViewable || fail "the main window is not on screen"
xwininfo -id "$win" -wm | grep -q Iconic && fail "the main window is still minimised"
expected="Fruitwake|fruitwake|Fruitwake|牧草成熟了！不摘就没有了。。。注：e2e 0|48x48|0|2|default"
[ "$(cat "$work/notes")" = "$expected" ] || fail "notifications: expected one: $expected"
echo "1 passed, 0 failed"
