#!/usr/bin/env bash
# The real program on a small screen (window_fits_screen.sh <bin> <WxH>), in
# a real window manager's frame where openbox is there: the whole frame lies
# on the screen.
set -uo pipefail
bin=$1 screen=$2
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=xcb XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run TZ=Asia/Shanghai
mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
. "$(dirname "$0")/private_x.sh"
start_x "$screen"
fail() { echo "FAIL: $*"; exit 1; }
read -r sw sh < <(xwininfo -root | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
# Without a window manager there is no frame to fit, and nothing to show.
command -v openbox >/dev/null || { echo "SKIP: no openbox for a real frame"; exit 77; }
openbox --sm-disable >/dev/null 2>&1 &
sleep 1
"$bin" 2>"$work/stderr" &
win=""
for _ in $(seq 100); do
  sleep 0.1
  win=$(xwininfo -root -tree | awk '/"FruitwakeV/{print $1; exit}')
  [ -n "$win" ] && xwininfo -id "$win" | grep -q IsViewable && break
done
[ -n "$win" ] || { cat "$work/stderr"; fail "no main window"; }
sleep 1 # the frame comes, and the window is fitted into it
geo=$(xwininfo -id "$win")
x=$(awk '/Absolute upper-left X/{print $NF}' <<<"$geo") y=$(awk '/Absolute upper-left Y/{print $NF}' <<<"$geo")
w=$(awk '/Width:/{print $2}' <<<"$geo") h=$(awk '/Height:/{print $2}' <<<"$geo")
read -r fl fr ft fb < <(xprop -id "$win" _NET_FRAME_EXTENTS | grep -o '[0-9, ]*$' | tr -d ,) ||
  true
fl=${fl:-0} fr=${fr:-0} ft=${ft:-0} fb=${fb:-0}
echo "screen ${sw}x${sh}: window ${w}x${h} at $x,$y, frame $fl $fr $ft $fb"
[ $((x - fl)) -ge 0 ] && [ $((y - ft)) -ge 0 ] || fail "the frame starts off the screen"
[ $((x + w + fr)) -le "$sw" ] && [ $((y + h + fb)) -le "$sh" ] || fail "the frame ends off the screen"
echo "1 passed, 0 failed"
