#!/usr/bin/env bash
# The real program on an X server, its clock shifted to twenty seconds before a
# reminder ripens: the ripe box appears about on time, and afterwards the data
# file holds the next state (the single-season reminder is gone).
set -uo pipefail
bin=$1 tool=$2
fake=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n1)
[ -n "$fake" ] || { echo "libfaketime not installed"; exit 1; }
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
# The suite may run with the offscreen platform; this test needs the real X server.
. "$(dirname "$0")/harness.sh"
export QT_QPA_PLATFORM=xcb TZ=Asia/Shanghai
private_homes
fail() { echo "FAIL: $*"; exit 1; }

# 2009-10-01 21:25:00 in UTC+8.
"$tool" write "$file" 1254403500 1 || fail "could not write the data file"
boxes() { xwininfo -root -tree | grep -c '"Fruitwake": ("fruitwake"'; }

LD_PRELOAD=$fake FAKETIME="@2009-10-01 21:24:40" FAKETIME_DONT_FAKE_MONOTONIC=1 \
  "$bin" 2>"$work/stderr" & pid=$!
start=$(date +%s%N)
seen=""
for _ in $(seq 600); do
  sleep 0.05
  if [ "$(boxes)" -ge 1 ]; then seen=$(( ($(date +%s%N) - start) / 1000000 )); break; fi
done
if [ -z "$seen" ]; then
  echo "--- program's stderr"; cat "$work/stderr"
  echo "--- windows"; xwininfo -root -tree | head -n 40
  fail "no alert box within 30 s"
fi
echo "ripe box after ${seen} ms (due at 20000 ms)"
# The fake clock starts with the process, so the box is due 20 s after it.
[ "$seen" -ge 18500 ] || fail "the box came too early (${seen} ms)"
[ "$seen" -le 22000 ] || fail "the box came too late (${seen} ms)"
title=$(xwininfo -root -tree | grep -o '"FruitwakeV[^"]*"' | head -n1)
[[ "$title" == *"快乐游戏_轻松游戏^_^\"" ]] || fail "main window title reads $title"
sleep 2
kill -TERM $pid
wait $pid || fail "exit status $? after SIGTERM"
out=$("$tool" dump "$file")
[ "$(head -n1 <<<"$out")" = "whole 0 lead=5" ] || fail "data file afterwards: $out"
echo "1 passed, 0 failed"
