#!/usr/bin/env bash
# The real program in a hostile place: a FIFO or a zero device where the data
# file belongs, the data folder deleted while running, a lock that can be
# neither reached nor replaced, a sparse file that claims 16,000,000 reminders.
# Nothing may block, run twice beside itself, end silently or write out what
# the file never held.
set -uo pipefail
bin=$1 tool=$2
. "$(dirname "$0")/harness.sh"
private_work
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

# 4. A file that claims 16,000,000 reminders and holds two (2 GB, sparse): the two are loaded and
#    saved at once, the file is kept aside without its 2 GB being written out, SIGTERM ends it.
rm -rf "$XDG_DATA_HOME"; mkdir -p "$dir"
"$tool" write "$file" $(( $(date +%s) + 86400 )) 2
printf '\x00\x24\xf4\x00' | dd of="$file" bs=1 seek=504 conv=notrunc status=none
truncate -s $(( (16000000 + 3) * 128 )) "$file"
"$bin" 2>"$work/err5" & pid=$!
for _ in $(seq 100); do [ "$(stat -c %s "$file")" = 640 ] && break; sleep 0.1; done
[ "$(stat -c %s "$file")" = 640 ] || fail "sparse: the two reminders were not saved at once"
moved=("$dir"/foodinfo.dat.damaged-*)
[ ${#moved[@]} = 1 ] && [ "$(stat -c %s "${moved[0]}")" = 2048000384 ] ||
  fail "sparse: kept aside: $(ls -ls "$dir")"
[ "$(stat -c %b "${moved[0]}")" -lt 2048 ] || fail "sparse: the copy was written out: $(ls -ls "$dir")"
kill -TERM $pid; ends $pid 15 || fail "sparse: SIGTERM not answered"
wait $pid || fail "sparse: exit status $?"
"$tool" dump "$file" | grep -q '^whole 2 lead=5$' || fail "sparse: saved file: $("$tool" dump "$file")"
echo "sparse 16,000,000-row file: two loaded, kept aside unwritten, ended on SIGTERM"
echo "1 passed, 0 failed"
