#!/usr/bin/env bash
# The chosen music sits on a share that stops answering (a FUSE folder whose
# look-ups wait), already dead when the program starts: the window comes, its
# thread keeps answering, the ripe box comes on time, and SIGTERM still saves
# and ends the program at once.
set -uo pipefail
bin=$1 tool=$2 chime=$3
here=$(dirname "$0")
skip() { echo "SKIP: $*"; exit 77; }
command -v xwininfo >/dev/null || skip "xwininfo is not installed"
[ -c /dev/fuse ] || skip "no /dev/fuse"
/usr/bin/python3 -c 'import fusepy' 2>/dev/null || skip "python3-fusepy is not installed"
work=$(mktemp -d)
share=$work/share
cleanup() {
  rm -f "$work/hang"
  kill -9 $(jobs -p) 2>/dev/null
  umount -l "$share" 2>/dev/null || fusermount -uz "$share" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- program's stderr"; cat "$work/stderr"; exit 1; }
mkdir -p "$work/music" "$share"
cp "$chime" "$work/music/tune.wav"
/usr/bin/python3 "$here/hanging_share.py" "$work/music" "$share" "$work/hang" 2>"$work/fuse.log" &
for _ in $(seq 50); do [ -f "$share/tune.wav" ] && break; sleep 0.1; done
[ -f "$share/tune.wav" ] || skip "FUSE does not mount here: $(cat "$work/fuse.log")"
touch "$work/hang"

. "$here/private_x.sh"
start_x 1024x768
export QT_QPA_PLATFORM=xcb TZ=Asia/Shanghai HOME=$work XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_DATA_HOME/fruitwake" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
. "$here/ripe_alert_checks.sh"
file=$XDG_DATA_HOME/fruitwake/foodinfo.dat
ripe=$(( $(date +%s) + 8 ))
"$tool" write "$file" $ripe 1 "e2e 0" "$share/tune.wav" || fail "could not write the data file"
"$bin" 2>"$work/stderr" & pid=$!
/usr/bin/python3 "$here/gui_pinger.py" $pid "$XDG_RUNTIME_DIR" >"$work/pings" & pinger=$!
window=
for _ in $(seq 50); do
  xwininfo -root -tree | grep -q '"FruitwakeV' && { window=yes; break; }
  sleep 0.1
done
[ -n "$window" ] || fail "no window within 5 s"
after_ripe_alert
echo "1 passed, 0 failed"
