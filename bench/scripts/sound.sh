#!/usr/bin/env bash
# The sound through private audio servers, PulseAudio and PipeWire (with
# pipewire-pulse and wireplumber), each with a null sink as the default output
# whose monitor is recorded:
#   sound.<kind>_onset_<server>_ms  from an alert's second to the first 10 ms
#       block above -40 dBFS, the worst of five alerts, for the chime and for
#       chosen music (wav, mp3), the program hidden. The mp3 opens with its
#       encoder's silence (some 25 ms), which is taken off: the music begins
#       with the file's first sample.
#   sound.wakeups_after_sounds_<server>_per_min  the hidden program's wake-ups
#       once its chimes, or its music, have let go of the device and the server
#       has settled (the more of the two)
#   sound.chime_onset_after_restart_pulse_ms  the same for a chime after
#       PulseAudio was restarted since the one before
#   sound.stall_pulse_stopped_ms  the longest wait for the real program's
#       window thread (pinged every 100 ms) while PulseAudio is stopped from
#       before a ripe alert with music chosen until after it, worst of three
set -uo pipefail
build=${1:-build-bench}
. "$(dirname "$0")/figures.bash"
need_programs "$build/bench/sound_probe" "$build/src/app/fruitwake"
need_tools pulseaudio pipewire pipewire-pulse wireplumber pactl parecord dbus-run-session
# PipeWire wants a session bus of its own.
[ -n "${FW_SOUND_BUS:-}" ] || exec env FW_SOUND_BUS=1 dbus-run-session -- bash "$0" "$@"
probe=$(realpath "$build/bench/sound_probe") bin=$(realpath "$build/src/app/fruitwake")

work=$(mktemp -d)
audio_pids=
cleanup() {
  for p in $audio_pids; do kill -CONT "$p"; kill "$p"; done 2>/dev/null
  kill $(jobs -p) 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
. "$e2e/private_audio.sh"
export HOME=$work QT_LOGGING_RULES='qt.multimedia.*=false' QT_QPA_PLATFORM=offscreen

vcs() { cat /proc/$1/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { s += $2 } END { print s + 0 }'; }

mp3_lead=$(/usr/bin/python3 "$here/tune.py" "$work") || exit 1
echo "sound.sh: the mp3's own silence before the tone: $mp3_lead ms" >&2

# onsets <server> <kind> <music|-> <lead ms>: five alerts two seconds apart.
onsets() {
  rm -f "$work/rec.wav" "$work/probe.out"
  parecord --device=null.monitor --latency-msec=20 --channels=1 --file-format=wav \
    "$work/rec.wav" &
  local rec=$! first=$(( $(date +%s) + 6 )) gap=2 stop all
  "$probe" "$3" $first 5 $gap >"$work/probe.out" &
  local p=$!
  for _ in $(seq 300); do grep -q quiet "$work/probe.out" 2>/dev/null && break; sleep 0.1; done
  if [ "$2" != wav ]; then
    sleep 8 # the server suspends the idle sink, and says so once
    local v0 t0 v1 t1
    v0=$(vcs $p) t0=$(date +%s%N)
    sleep 15
    v1=$(vcs $p) t1=$(date +%s%N)
    awk -v a="$v0" -v b="$v1" -v w="$((t1 - t0))" 'BEGIN { printf "%.1f\n", (b - a) * 60e9 / w }' \
      >>"$work/wakeups"
  fi
  kill -TERM $rec
  stop=$(date +%s.%N)
  wait $rec
  kill $p
  wait $p
  all=$(/usr/bin/python3 "$here/onsets.py" "$work/rec.wav" "$stop" \
    $(seq $first $gap $((first + 4 * gap))) | awk -v l="$4" '$1 == "none" { print; next } { print $1 - l }')
  echo "sound.sh: $1 $2 onsets (ms):" $all >&2
  figure "sound.${2}_onset_${1}_ms" \
    "$(awk 'NR == 1 || $1 + 0 > m { m = $1 + 0 } $1 == "none" { miss = 1 } END { print miss ? 9999 : m }' <<<"$all")" \
    "<=" $([ "$2" = chime ] && echo 50 || echo 100)
}

# restart: a chime, the server restarted, a chime through the new server;
# its onset in $onset.
restart() {
  local first=$(( $(date +%s) + 5 )) gap=8 rec stop p
  "$probe" - $first 2 $gap >"$work/probe.out" &
  p=$!
  sleep $(( first + 3 - $(date +%s) ))
  kill $audio_pids
  wait $audio_pids
  start_pulse || return 1
  rm -f "$work/rec.wav"
  parecord --device=null.monitor --latency-msec=20 --channels=1 --file-format=wav \
    "$work/rec.wav" &
  rec=$!
  sleep $(( first + gap + 2 - $(date +%s) ))
  kill -TERM $rec
  stop=$(date +%s.%N)
  wait $rec
  kill $p
  wait $p
  onset=$(/usr/bin/python3 "$here/onsets.py" "$work/rec.wav" "$stop" $((first + gap)))
}

# stall: the real program with music chosen and PulseAudio stopped from 2 s
# after its start (before the alert is readied) until 3 s after the alert.
stall() {
  export XDG_DATA_HOME=$work/data$1
  local ripe=$(( $(date +%s) + 7 ))
  "$probe" --data "$XDG_DATA_HOME/fruitwake/foodinfo.dat" $ripe "$work/tune.wav" || return 1
  "$bin" 2>/dev/null &
  local app=$!
  /usr/bin/python3 "$e2e/gui_pinger.py" $app "$XDG_RUNTIME_DIR" >"$work/pings" &
  local ping=$!
  sleep 2
  kill -STOP $audio_pid
  sleep 8
  kill -CONT $audio_pid
  kill $app
  wait $app
  wait $ping
  awk '$1 == "stall" { print $2 }' "$work/pings"
}

for server in pulse pipewire; do
  export XDG_RUNTIME_DIR=$work/$server
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  start_$server || { echo "sound.sh: $server does not start" >&2; exit 1; }
  rm -f "$work/wakeups"
  # The chime last: the first minute of a new server has events of its own.
  onsets $server wav "$work/tune.wav" 0
  onsets $server mp3 "$work/tune.mp3" "$mp3_lead"
  onsets $server chime - 0
  figure "sound.wakeups_after_sounds_${server}_per_min" "$(worst <"$work/wakeups")" "<=" 1
  if [ $server = pulse ]; then
    restart || { echo "sound.sh: PulseAudio did not start again" >&2; exit 1; }
    figure sound.chime_onset_after_restart_pulse_ms "${onset/none/9999}" "<=" 50
    stalls=$(for run in 1 2 3; do stall $run; done)
    echo "sound.sh: stalls (ms):" $stalls >&2
    figure sound.stall_pulse_stopped_ms "$(worst <<<"$stalls")" "<=" 250
  fi
  for p in $audio_pids; do kill "$p"; done 2>/dev/null
  wait $audio_pids 2>/dev/null
done
