#!/usr/bin/env bash
# The X server goes away 0.3 s after an add, before the change save is due: the program
# ends, and the added row is in the data file all the same (also after an earlier save).
set -uo pipefail
bin=$1 tool=$2
source "$(dirname "$0")/private_x.sh"
. "$(dirname "$0")/harness.sh"
private_work
need_tools xdotool
start_x 1280x1024; xserver=$!
export QT_QPA_PLATFORM=xcb TZ=Asia/Shanghai
private_homes
fail() { echo "FAIL: $*"; exit 1; }

"$tool" write "$file" $(( $(date +%s) + 86400 )) 3
"$bin" 2>"$work/err" & pid=$!
w=$(win_of $pid); [ -n "$w" ] || fail "no main window: $(cat "$work/err")"
sleep 1
click_add "$w"
for _ in $(seq 50); do "$tool" dump "$file" | grep -q '^whole 4 ' && break; sleep 0.1; done
click_add "$w"; sleep 0.3
kill -9 $xserver
timeout 15 tail --pid=$pid -f /dev/null || fail "did not end when the display went away"
wait $pid; echo "ended with status $? when the display went away"
out=$("$tool" dump "$file")
head -n1 <<<"$out" | grep -q '^whole 5 ' || fail "the added row was lost: $out"
echo "1 passed, 0 failed"
