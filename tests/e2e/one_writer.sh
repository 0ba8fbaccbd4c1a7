#!/usr/bin/env bash
# One running Fruitwake per data file, whatever the environment of each start:
# a second start that sees another runtime folder (unset, missing, read-only,
# full, or set for the first start only) or reaches the data folder through a
# symbolic link still hands over to the first; a lock an older version left
# beside the data is honoured while its holder lives.
set -uo pipefail
bin=$1 tool=$2
# A read-only and a full runtime folder are tmpfs mounts in a namespace of our own.
if [ "$(id -u)" = 0 ] && [ -z "${FW_OWN_MOUNTS:-}" ] && unshare -m true 2>/dev/null; then
  FW_OWN_MOUNTS=1 exec unshare -m --propagation private bash "$0" "$@"
fi
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null; wait 2>/dev/null; umount "$work"/ro "$work"/full 2>/dev/null; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen HOME=$work/home TZ=Asia/Shanghai
export XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$work/run"; chmod 700 "$work/run"
dir=$work/data/fruitwake file=$work/data/fruitwake/foodinfo.dat
fail() { echo "FAIL: $*"; exit 1; }
skipped=
# pair <case> <env of the first start...> -- <env of the second start...>
pair() {
  local name=$1 a=() rc; shift
  while [ "$1" != -- ]; do a+=("$1"); shift; done; shift
  rm -rf "$work/data"; mkdir -p "$dir"; "$tool" write "$file" $(( $(date +%s) + 86400 )) 2
  env "${a[@]}" "$bin" 2>"$work/err1" & pid=$!
  for _ in $(seq 100); do [ "$(head -n1 "$dir/fruitwake.lock" 2>/dev/null)" = $pid ] && break; sleep 0.1; done
  sleep 1
  [ "$name" = missing ] && mkdir -p -m 700 "$work/gone/run"   # as an audio library does later
  timeout 20 env "$@" "$bin" 2>"$work/err2"
  rc=$?
  kill -0 $pid 2>/dev/null || fail "$name: the first start ended: $(cat "$work/err1")"
  [ $rc = 0 ] || fail "$name: the second start ran beside the first (status $rc): $(cat "$work/err2")"
  kill -TERM $pid; wait $pid || fail "$name: the first ended with $?"
  echo "$name: the second start handed over"
}

pair unset -u XDG_RUNTIME_DIR -- -u XDG_RUNTIME_DIR
pair missing XDG_RUNTIME_DIR="$work/gone/run" -- XDG_RUNTIME_DIR="$work/gone/run"
mkdir -p "$work/ro" "$work/full"
if [ "$(id -u)" != 0 ]; then chmod 500 "$work/ro"
elif ! mount -t tmpfs -o ro,mode=700 tmpfs "$work/ro"; then skipped+=" read-only"; fi
[ -z "$skipped" ] && pair read-only XDG_RUNTIME_DIR="$work/ro" -- XDG_RUNTIME_DIR="$work/ro"
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=8k,mode=700 tmpfs "$work/full"; then
  head -c 1M /dev/zero >"$work/full/filler" 2>/dev/null
  pair full XDG_RUNTIME_DIR="$work/full" -- XDG_RUNTIME_DIR="$work/full"
else skipped+=" full"; fi
pair "set, then unset" -- -u XDG_RUNTIME_DIR
ln -s data "$work/link"
pair "symbolic link" -- XDG_DATA_HOME="$work/link"

# An older version's lock beside the data: while its holder lives nothing starts beside it
# (a box says why); once the holder is gone, its stale lock is taken.
rm -rf "$work/data"; mkdir -p "$dir"; "$tool" write "$file" $(( $(date +%s) + 86400 )) 2
"$tool" lock "$dir/fruitwake.lock" & old=$!
for _ in $(seq 50); do [ -s "$dir/fruitwake.lock" ] && break; sleep 0.1; done
inode=$(stat -c %i "$file")
"$bin" 2>"$work/err" & pid=$!
sleep 3
kill -TERM $pid; wait $pid && fail "started beside an older version's live lock: $(cat "$work/err")"
[ "$(stat -c %i "$file")" = "$inode" ] || fail "wrote the data file beside an older version"
grep -q "cannot start" "$work/err" || fail "older lock, log: $(cat "$work/err")"
kill -9 $old; wait $old 2>/dev/null
"$bin" 2>"$work/err" & pid=$!
sleep 3
kill -0 $pid 2>/dev/null || fail "a stale lock of an older version kept the program from starting"
kill -TERM $pid; wait $pid || fail "after a stale older lock: exit status $?"
[ "$(stat -c %i "$file")" != "$inode" ] || fail "after a stale older lock: not saved at exit"
echo "older version's lock: honoured while its holder lives, taken when stale"
[ -n "$skipped" ] && { echo "SKIP:$skipped (needs root and tmpfs mounts)"; exit 77; }
echo "1 passed, 0 failed"
