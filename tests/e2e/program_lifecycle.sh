#!/usr/bin/env bash
# The real program: a second start only brings the first forward, and each of
# SIGTERM, SIGINT and SIGHUP ends it cleanly after saving.
set -euo pipefail
bin=$1 tool=$2
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
. "$(dirname "$0")/harness.sh"
export QT_QPA_PLATFORM=offscreen TZ=Asia/Shanghai
private_homes
fail() { echo "FAIL: $*"; exit 1; }

for sig in TERM INT HUP; do
  "$tool" write "$file" $(( $(date +%s) + 86400 )) 3
  "$bin" 2>"$work/stderr" & pid=$!
  # The lock names the first once it has started; give it a moment to answer.
  for _ in $(seq 100); do [ "$(head -n1 "$XDG_DATA_HOME/fruitwake/fruitwake.lock")" = $pid ] && break; sleep 0.1; done 2>/dev/null
  sleep 1
  timeout 20 "$bin" || fail "second start did not exit cleanly ($?)"
  kill -0 $pid 2>/dev/null || fail "first instance ended when the second started"
  rm -f "$file"   # the save at the end must write it anew
  kill -$sig $pid
  rc=0; timeout 20 tail --pid=$pid -f /dev/null || rc=$?
  wait $pid || fail "SIG$sig: exit status $?"
  [ $rc -eq 0 ] || fail "SIG$sig: did not end"
  out=$("$tool" dump "$file") || fail "SIG$sig: no data file after the signal"
  head -n1 <<<"$out" | grep -q '^whole 3 lead=5$' || fail "SIG$sig: saved file reads: $out"
  # The chime and the icons are resources linked into the program itself.
  if grep -q "Error decoding source" "$work/stderr"; then fail "the chime is missing from the program"; fi
  echo "SIG$sig: saved and ended"
done
echo "1 passed, 0 failed"
