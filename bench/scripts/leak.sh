#!/usr/bin/env bash
# 100,000 engine ticks on a fake clock under valgrind: bytes definitely lost.
# BENCH_QUICK=1 runs 20,000 ticks.
set -uo pipefail
build=${1:-build-bench}
prog=$build/bench/leak_ticks
ticks=100000
[ "${BENCH_QUICK:-0}" = 1 ] && ticks=20000
. "$(dirname "$0")/figures.bash"
need_tools valgrind
need_programs "$prog"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! valgrind --leak-check=full --log-file="$log" "$prog" "$ticks" >&2; then
  echo "leak.sh: the tick run failed" >&2
  exit 1
fi
lost=$(awk '/definitely lost:/ { gsub(",", "", $4); print $4 }' "$log")
grep -q 'All heap blocks were freed' "$log" && lost=0
[ -n "$lost" ] || { echo "leak.sh: no leak summary" >&2; cat "$log" >&2; exit 1; }
grep -E 'definitely lost|indirectly lost|possibly lost|ERROR SUMMARY' "$log" | sed 's/^==[0-9]*== */  /' >&2
label=$((ticks / 1000))k
figure "leak.ticks_${label}_definitely_lost_bytes" "$lost" "<=" 0
