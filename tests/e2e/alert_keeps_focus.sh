#!/usr/bin/env bash
# Under a real window manager, while another program holds the keyboard focus
# and Fruitwake is out of sight (mode "tray": hidden to the tray; "minimised":
# no tray, minimised), a ripe alert shows the window and its box without taking
# the focus, and the desktop's notification service gets one Notify call.
set -uo pipefail
bin=$1 tool=$2 mode=$3
skip() { echo "SKIP: $*"; exit 77; }
tools="openbox xdotool xterm xwininfo dbus-run-session"
[ "$mode" = tray ] && tools="$tools trayer"
for t in $tools; do command -v $t >/dev/null || skip "$t is not installed"; done
/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || skip "python3-dbus or python3-gi missing"
# A private session bus, so the fake service is the only one there.
[ -n "${FW_PRIVATE_BUS:-}" ] || FW_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; sleep 0.2; kill -9 $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"; echo "--- program's stderr"; cat "$work/stderr"
  echo "--- notifications"; cat "$work/notes" 2>/dev/null; exit 1
}
wait_for() { for _ in $(seq 200); do eval "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }

. "$(dirname "$0")/private_x.sh"
start_x 1024x768
export QT_QPA_PLATFORM=xcb TZ=Asia/Shanghai
export XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_DATA_HOME/fruitwake" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"; chmod 700 "$XDG_RUNTIME_DIR"
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
