#!/usr/bin/env bash
# A PulseAudio that accepts but never answers (stopped) from before a ripe
# alert is readied until after it: the window's thread keeps answering, the
# box comes on time without the chime, and SIGTERM still saves and ends the
# program at once.
set -uo pipefail
bin=$1 tool=$2
here=$(dirname "$0")
skip() { echo "SKIP: $*"; exit 77; }
for t in pulseaudio pactl xwininfo; do command -v $t >/dev/null || skip "$t is not installed"; done
work=$(mktemp -d)
audio_pid=
trap '[ -n "$audio_pid" ] && kill -CONT $audio_pid; kill -9 $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; echo "--- program's stderr"; cat "$work/stderr"; exit 1; }
. "$here/private_x.sh"
. "$here/private_audio.sh"
start_x 1024x768
export QT_QPA_PLATFORM=xcb TZ=Asia/Shanghai HOME=$work XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_DATA_HOME/fruitwake" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
start_pulse || skip "PulseAudio does not start here"
. "$here/ripe_alert_checks.sh"

file=$XDG_DATA_HOME/fruitwake/foodinfo.dat
ripe=$(( $(date +%s) + 9 ))
"$tool" write "$file" $ripe 1 || fail "could not write the data file"
"$bin" 2>"$work/stderr" & pid=$!
/usr/bin/python3 "$here/gui_pinger.py" $pid "$XDG_RUNTIME_DIR" >"$work/pings" & pinger=$!
while [ $(now_ms) -lt $(( (ripe - 5) * 1000 )) ]; do sleep 0.05; done
kill -STOP $audio_pid # before the chime is readied, three seconds ahead
after_ripe_alert
echo "1 passed, 0 failed"
