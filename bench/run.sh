#!/usr/bin/env bash
# Runs every benchmark of a build and prints one table of figures.
# Each benchmark prints lines "<name> <value> target<op><limit> OK|MISS".
set -uo pipefail
build=${1:-build-bench}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
for b in "$build"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")" >&2
  if ! QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$b" | tee -a "$out" >&2; then
    echo "$(basename "$b") failed" >&2
    status=1
  fi
done
for s in bench/scripts/*.sh; do
  [ -x "$s" ] || continue
  echo "== $(basename "$s")" >&2
  "$s" "$build" | tee -a "$out" >&2 || status=1
done
echo
echo "| figure | value | target | holds |"
echo "|---|---|---|---|"
grep -E '^[A-Za-z0-9_.]+ [-0-9.]+ target' "$out" | while read -r name value target verdict _; do
  echo "| $name | $value | ${target#target} | ${verdict:-?} |"
done
exit $status
