#!/usr/bin/env bash
# A first Fruitwake stops answering (SIGSTOP) with two added rows not yet saved; a second
# start takes its place after about 5 s and adds a row. When the first continues, neither
# its pending change save nor its SIGTERM may write its stale rows over the second's: it
# hides its window and tells so in one box. Its exit leaves the second's guard alone, and
# a third start finds the second.
set -uo pipefail
bin=$1 tool=$2
source "$(dirname "$0")/private_x.sh"
. "$(dirname "$0")/harness.sh"
private_work
need_tools xdotool
start_x 1280x1024
export QT_QPA_PLATFORM=xcb TZ=Asia/Shanghai
private_homes
fail() { echo "FAIL: $*"; exit 1; }
ends() { timeout "$2" tail --pid="$1" -f /dev/null; }
rows() { "$tool" dump "$file" | head -n1 | cut -d' ' -f2; }

"$tool" write "$file" $(( $(date +%s) + 86400 )) 3
"$bin" 2>"$work/err1" & first=$!
a=$(win_of $first); [ -n "$a" ] || fail "no window of the first start"
sleep 1
click_add "$a"; click_add "$a"; sleep 0.2
kill -STOP $first
n=$(rows)
"$bin" 2>"$work/err2" & second=$!
b=$(win_of $second 200); [ -n "$b" ] || fail "the second start did not take over: $(cat "$work/err2")"
grep -q "no answer from the running Fruitwake" "$work/err2" || fail "log: $(cat "$work/err2")"
sleep 1
click_add "$b"
for _ in $(seq 50); do [ "$(rows)" = $((n + 1)) ] && break; sleep 0.1; done
[ "$(rows)" = $((n + 1)) ] || fail "the second's added row was not saved: $(rows) rows, not $((n + 1))"
kill -CONT $first
box=$(for _ in $(seq 50); do xdotool search --all --onlyvisible --pid $first --name '^Fruitwake$' && break; sleep 0.1; done)
[ "$(wc -w <<<"$box")" = 1 ] || fail "not one box from the first: $box"
[ -z "$(win_of $first 1)" ] || fail "the first's window stays beside the second's"
[ "$(grep -c "has taken over" "$work/err1")" = 1 ] || fail "log of the first: $(cat "$work/err1")"
kill -TERM $first
ends $first 15 || fail "the first did not end"
[ "$(rows)" = $((n + 1)) ] || fail "the first wrote its stale rows over the second's: $(rows) rows"
timeout 20 "$bin" 2>"$work/err3" || fail "a third start ran beside the second (status $?)"
kill -0 $second 2>/dev/null || fail "the second ended"
echo "taken over: the first wrote nothing, and the third start found the second"
echo "1 passed, 0 failed"
