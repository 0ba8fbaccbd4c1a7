#!/usr/bin/env bash
# The user closes Fruitwake (close button, OK) while its data file cannot be
# written: one box names the reason and the file, the program stays until it
# is dismissed, then ends with status 0.
set -uo pipefail
bin=$1 tool=$2
source "$(dirname "$0")/private_x.sh"
. "$(dirname "$0")/harness.sh"
private_work
need_tools openbox xdotool xwininfo
start_x 1024x768
openbox --sm-disable >/dev/null 2>&1 & sleep 1
export QT_QPA_PLATFORM=xcb
private_homes
fail() { echo "FAIL: $*"; exit 1; }
find_win() { for _ in $(seq 100); do w=$(xdotool search --name "$1" 2>/dev/null | tail -n1); [ -n "$w" ] && { echo "$w"; return; }; sleep 0.1; done; }
boxes() { xwininfo -root -tree | grep -c '"Fruitwake": ('; }

"$tool" write "$file" $(( $(date +%s) + 86400 )) 1
"$bin" 2>"$work/err" & pid=$!
win=$(find_win 'FruitwakeV'); [ -n "$win" ] || fail "no main window"
sleep 1
rm "$file"; mkdir "$file"   # from now on every save fails
xdotool windowactivate --sync "$win" key alt+F4
q=$(find_win '关闭提醒'); [ -n "$q" ] || fail "no close question"
xdotool windowactivate --sync "$q" key Return
for _ in $(seq 50); do [ "$(boxes)" -ge 1 ] && break; sleep 0.1; done
sleep 1
[ "$(boxes)" = 1 ] || fail "$(boxes) boxes instead of one"
kill -0 $pid 2>/dev/null || fail "ended before the box was read: $(cat "$work/err")"
xdotool windowactivate --sync "$(find_win '^Fruitwake$')" key Return
timeout 10 tail --pid=$pid -f /dev/null || fail "did not end once the box was dismissed"
wait $pid || fail "exit status $?"
grep -q "could not be saved at exit" "$work/err" || fail "log: $(cat "$work/err")"
echo "1 passed, 0 failed"
