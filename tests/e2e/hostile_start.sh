#!/usr/bin/env bash
# The real program in a hostile place: a FIFO or a zero device where the data
# file belongs, the data folder deleted while running, a lock that can be
# neither reached nor replaced. Nothing may block, run twice beside itself or
# end silently.
set -uo pipefail
bin=$1 tool=$2
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen HOME=$work/home XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
dir=$XDG_DATA_HOME/fruitwake file=$XDG_DATA_HOME/fruitwake/foodinfo.dat
fail() { echo "FAIL: $*"; exit 1; }
ends() { timeout "$2" tail --pid="$1" -f /dev/null; }  # 0 once the process has ended
holds() { for _ in $(seq 100); do [ "$(head -n1 "$dir/fruitwake.lock" 2>/dev/null)" = "$1" ] && return; sleep 0.1; done; }

# 1. Not a regular file: a FIFO without writer, and a link to a zero device (our own node as
#    root, where a fault could otherwise replace the real /dev/zero).
for kind in fifo device; do
  rm -rf "$XDG_DATA_HOME"; mkdir -p "$dir"
  if [ $kind = fifo ]; then mkfifo "$file"
  elif [ "$(id -u)" = 0 ]; then mknod "$work/zero" c 1 5 && ln -s "$work/zero" "$file"
  else ln -s /dev/zero "$file"; fi
  (ulimit -v 4000000; exec "$bin") 2>"$work/err" & pid=$!
  sleep 2
  kill -TERM $pid
  ends $pid 15 || fail "$kind: SIGTERM not answered"
  wait $pid || fail "$kind: exit status $?"
  [ -f "$file" ] && [ ! -L "$file" ] || fail "$kind: the save at exit wrote no regular file"
  "$tool" dump "$file" | grep -q '^whole 0 lead=5$' || fail "$kind: saved file: $("$tool" dump "$file")"
  moved=("$dir"/foodinfo.dat.damaged-*)
  [ ${#moved[@]} = 1 ] || fail "$kind: moved aside: ${moved[*]}"
  if [ $kind = fifo ]; then [ -p "${moved[0]}" ]; else [ -L "${moved[0]}" ] && [ -c "${moved[0]}" ]; fi ||
    fail "$kind: what was moved aside changed"
  echo "$kind: moved aside, ended on SIGTERM, saved a regular file"
done

# 2. The data folder deleted under a running first: a second start still hands over to it.
rm -rf "$XDG_DATA_HOME"; mkdir -p "$dir"; "$tool" write "$file" $(( $(date +%s) + 86400 )) 2
"$bin" 2>"$work/err1" & first=$!
holds $first; sleep 1
rm -rf "$dir"
timeout 20 "$bin" 2>"$work/err2" || fail "second start after the folder went: status $?"
kill -0 $first || fail "the first instance ended"
kill -TERM $first; wait $first || fail "the first ended with $?"
echo "deleted data folder: the second start handed over"

# 3. A guard that can be neither reached nor replaced (a folder in the lock's place): the start
#    says why and, closed, exits non-zero instead of ending silently.
rm -rf "$dir"; mkdir -p "$dir/fruitwake.lock"
"$bin" 2>"$work/err4" & pid=$!
ends $pid 10 && fail "ended without a box: $(cat "$work/err4")"
grep -q "cannot start" "$work/err4" || fail "log: $(cat "$work/err4")"
kill -TERM $pid; ends $pid 10 || fail "the box did not close on SIGTERM"
wait $pid && fail "exit status 0 although it could not start"
echo "guard out of reach: told, non-zero status"
echo "1 passed, 0 failed"
