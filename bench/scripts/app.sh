#!/usr/bin/env bash
# The main window from outside: start-up to the first painted window and the
# resident size after it with 0 / 10k / 100k reminders, the longest stall of a
# start-up that removes 50,000 expired rows, and the idle figures below.
set -uo pipefail
build=${1:-build-bench}
probe=$build/bench/app_probe
bin=$build/src/app/fruitwake
. "$(dirname "$0")/figures.bash"
need_programs "$probe" "$bin"

work=$(mktemp -d)
xvfb_pid=
app_pid=
hidden_pid=
wm_pid=
tray_pid=
cleanup() {
  for p in $app_pid $hidden_pid $tray_pid $wm_pid $xvfb_pid; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run QT_LOGGING_RULES='qt.multimedia.*=false'

data() { # data <n>: a data home with n reminders
  local d=$work/data$1
  [ -d "$d" ] && { echo "$d"; return; }
  mkdir -p "$d"
  XDG_DATA_HOME=$d "$probe" make-data "$1" || { echo "make-data $1 failed" >&2; exit 1; }
  echo "$d"
}

declare -A rss
for n in 0 10000 100000; do
  d=$(data $n)
  starts=() rsss=() rows=
  for run in 1 2 3; do
    out=$(XDG_DATA_HOME=$d QT_QPA_PLATFORM=offscreen "$probe" startup "$(date +%s%N)") || {
      echo "startup with $n reminders failed" >&2; exit 1; }
    starts+=("$(awk '$1 == "startup_ms" { print $2 }' <<<"$out")")
    rsss+=("$(awk '$1 == "rss_mb" { print $2 }' <<<"$out")")
    rows=$(awk '$1 == "rows" { print $2 }' <<<"$out")
  done
  label=$n
  [ $n -ge 1000 ] && label=$((n / 1000))k
  start=$(printf '%s\n' "${starts[@]}" | median)
  rss[$n]=$(printf '%s\n' "${rsss[@]}" | median)
  if [ "$rows" != "$n" ]; then
    # Not a figure of loading at all: say so rather than print a fast time.
    echo "app.sh: the window showed $rows of $n reminders" >&2
    echo "app.startup_${label}_ms $start target=loaded MISS"
    continue
  fi
  case $n in
    10000) figure app.startup_10k_ms "$start" "<=" 400
           figure app.rss_10k_mb "${rss[$n]}" "<=" 80 ;;
    *)     figure "app.startup_${label}_ms" "$start" "" -
           figure "app.rss_${label}_mb" "${rss[$n]}" "" - ;;
  esac
done
if [ -n "${rss[0]:-}" ] && [ -n "${rss[100000]:-}" ]; then
  figure app.rss_100k_over_empty_mb "$(awk -v a="${rss[100000]}" -v b="${rss[0]}" \
    'BEGIN { printf "%.1f", a - b }')" "<=" 40
fi

# The longest GUI-thread stall of a start-up with 100,000 reminders, half of
# them one-season crops ripe long ago, so the first tick removes 50,000.
stall_data=$work/stall
mkdir -p "$stall_data"
XDG_DATA_HOME=$stall_data "$probe" make-data 100000 expired || { echo "make-data failed" >&2; exit 1; }
stalls=()
for run in 1 2 3; do
  rm -rf "$stall_data.run" && cp -r "$stall_data" "$stall_data.run"
  out=$(XDG_DATA_HOME=$stall_data.run QT_QPA_PLATFORM=offscreen "$probe" stall) || {
    echo "stall run failed" >&2; exit 1; }
  [ "$(awk '$1 == "rows" { print $2 }' <<<"$out")" = 50000 ] || {
    echo "app.sh: the stall run did not remove the 50,000 expired rows" >&2; exit 1; }
  stalls+=("$(awk '$1 == "stall_ms" { print $2 }' <<<"$out")")
done
figure app.startup_stall_100k_half_expired_ms "$(printf '%s\n' "${stalls[@]}" | median)" "<=" 200

# Idle with 10,000 reminders, none due for two hours: two real instances on
# Xvfb with a window manager (openbox) and a tray (trayer), one shown, one
# minimised into the tray. Over the same stretch: wake-ups of all threads
# (voluntary context switches, /proc/<pid>/task/*/status) a minute, CPU
# (schedstat, ns), and the bytes written to each data file (a save renames a
# new file into place: its inode is polled each second), scaled to 10 minutes.
# BENCH_QUICK=1 measures over 30 s instead of 120 s.
idle=120
[ "${BENCH_QUICK:-0}" = 1 ] && idle=30
need_tools Xvfb openbox trayer xdotool xwininfo
shown_data=$(data 10000)
hidden_data=$work/hidden10000
cp -r "$shown_data" "$hidden_data"
disp=$((100 + $$ % 800))
while [ -e /tmp/.X11-unix/X$disp ]; do disp=$((disp + 1)); done
Xvfb :$disp -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$disp ] && break; sleep 0.1; done
export DISPLAY=:$disp
openbox >/dev/null 2>&1 &
wm_pid=$!
trayer --edge top --align right --widthtype pixel --width 200 >/dev/null 2>&1 &
tray_pid=$!
sleep 2
XDG_DATA_HOME=$shown_data QT_QPA_PLATFORM=xcb "$bin" 2>/dev/null &
app_pid=$!
XDG_DATA_HOME=$hidden_data QT_QPA_PLATFORM=xcb "$bin" 2>/dev/null &
hidden_pid=$!
wid=$(timeout 20 xdotool search --all --sync --onlyvisible --pid $hidden_pid --name FruitwakeV1 | head -n1)
[ -n "$wid" ] || { echo "app.sh: no window of the instance to hide" >&2; exit 1; }
sleep 2 # managed by the window manager first, as a user would find it
xdotool windowminimize "$wid"
# Not idle yet: start-up, the move into the tray, and the thread pool's
# start-up threads, which end after 30 s without work.
sleep 35
xwininfo -id "$wid" | grep -q IsUnMapped || { echo "app.sh: the window did not go into the tray" >&2; exit 1; }
vcs() { cat /proc/$1/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { s += $2 } END { print s + 0 }'; }
cpu_ns() { cat /proc/$1/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }'; }
saves() { # saves <file> <seconds>: how many times a new file took its place
  local last n=0 now
  last=$(stat -c %i "$1")
  for _ in $(seq "$2"); do
    sleep 1
    now=$(stat -c %i "$1" 2>/dev/null)
    [ "$now" != "$last" ] && n=$((n + 1)) last=$now
  done
  echo $n
}
saves "$shown_data/fruitwake/foodinfo.dat" "$idle" >"$work/shown.saves" &
s1=$!
saves "$hidden_data/fruitwake/foodinfo.dat" "$idle" >"$work/hidden.saves" &
s2=$!
v0s=$(vcs $app_pid) v0h=$(vcs $hidden_pid) c0s=$(cpu_ns $app_pid) c0h=$(cpu_ns $hidden_pid)
t0=$(date +%s%N)
wait $s1 $s2
v1s=$(vcs $app_pid) v1h=$(vcs $hidden_pid) c1s=$(cpu_ns $app_pid) c1h=$(cpu_ns $hidden_pid)
t1=$(date +%s%N)
xwininfo -id "$wid" | grep -q IsUnMapped || { echo "app.sh: the hidden window came back" >&2; exit 1; }
per_min() { awk -v a="$1" -v b="$2" -v w="$((t1 - t0))" 'BEGIN { printf "%.1f", (b - a) * 60e9 / w }'; }
pct() { awk -v a="$1" -v b="$2" -v w="$((t1 - t0))" 'BEGIN { printf "%.4f", 100 * (b - a) / w }'; }
size=$(stat -c %s "$hidden_data/fruitwake/foodinfo.dat")
bytes10() { awk -v n="$(cat "$1")" -v s="$size" -v w="$idle" 'BEGIN { printf "%d", n * s * 600 / w }'; }
echo "app.sh: idle over $idle s; saves shown $(cat "$work/shown.saves"), hidden $(cat "$work/hidden.saves")" >&2
figure app.wakeups_hidden_tray_10k_per_min "$(per_min "$v0h" "$v1h")" "<=" 1
figure app.wakeups_shown_10k_per_min "$(per_min "$v0s" "$v1s")" "<=" 70
figure app.idle_hidden_tray_10k_cpu_pct "$(pct "$c0h" "$c1h")" "<=" 0.01
figure app.idle_shown_10k_cpu_pct "$(pct "$c0s" "$c1s")" "<=" 0.2
figure "app.data_bytes_10min_hidden_scaled_from_${idle}s" "$(bytes10 "$work/hidden.saves")" "<=" 0
figure "app.data_bytes_10min_shown_scaled_from_${idle}s" "$(bytes10 "$work/shown.saves")" "<=" 0
