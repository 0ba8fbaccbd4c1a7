#!/usr/bin/env bash
# The main window from outside: start-up to the first painted window and the
# resident size after it with 0 / 10k / 100k reminders, and idle CPU with
# 1,000 reminders, shown (the real fruitwake under Xvfb, or offscreen when
# there is no Xvfb) and hidden (app_probe hides the window itself).
# BENCH_QUICK=1 measures idle CPU over 15 s instead of 60 s.
set -uo pipefail
build=${1:-build-bench}
probe=$build/bench/app_probe
bin=$build/src/app/fruitwake
idle=60
[ "${BENCH_QUICK:-0}" = 1 ] && idle=15
for f in "$probe" "$bin"; do
  [ -x "$f" ] || { echo "app.sh: $f is missing" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
hidden_pid=
cleanup() {
  for p in $app_pid $hidden_pid $xvfb_pid; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run QT_LOGGING_RULES='qt.multimedia.*=false'

# figure <name> <value> <op> <limit>; limit "-" for a figure without a target.
figure() {
  if [ "$4" = - ]; then
    echo "$1 $2 target- -"
  else
    awk -v n="$1" -v v="$2" -v op="$3" -v l="$4" \
      'BEGIN { ok = (op == "<=") ? (v + 0 <= l + 0) : (v + 0 >= l + 0);
               printf "%s %s target%s%s %s\n", n, v, op, l, ok ? "OK" : "MISS" }'
  fi
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

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

# Idle CPU, shown and hidden at the same time, each with its own data home.
shown_data=$(data 1000)
hidden_data=$work/hidden1000
cp -r "$shown_data" "$hidden_data"
platform=offscreen
if command -v Xvfb >/dev/null; then
  disp=$((100 + $$ % 800))
  while [ -e /tmp/.X11-unix/X$disp ]; do disp=$((disp + 1)); done
  Xvfb :$disp -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$disp ] && break; sleep 0.1; done
  [ -e /tmp/.X11-unix/X$disp ] && platform=xcb
fi
if [ $platform = xcb ]; then
  DISPLAY=:$disp XDG_DATA_HOME=$shown_data QT_QPA_PLATFORM=xcb "$bin" &
else
  XDG_DATA_HOME=$shown_data QT_QPA_PLATFORM=offscreen "$bin" &
fi
app_pid=$!
XDG_DATA_HOME=$hidden_data QT_QPA_PLATFORM=offscreen "$probe" idle-hidden "$idle" >"$work/hidden.out" &
hidden_pid=$!
sleep 5 # start-up and the first ticks are not idle
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
c0=$(cpu_ticks $app_pid) t0=$(date +%s%N)
sleep "$idle"
c1=$(cpu_ticks $app_pid) t1=$(date +%s%N)
hz=$(getconf CLK_TCK)
shown=$(awk -v c="$((c1 - c0))" -v hz="$hz" -v w="$((t1 - t0))" \
  'BEGIN { printf "%.3f", 100 * (c / hz) / (w / 1e9) }')
echo "app.sh: shown idle on $platform, $((c1 - c0)) ticks of 1/$hz s over $idle s" >&2
kill -TERM $app_pid
wait $app_pid 2>/dev/null
app_pid=
wait $hidden_pid
hidden_status=$?
hidden_pid=
figure app.idle_shown_1k_cpu_pct "$shown" "<=" 0.2
if [ $hidden_status = 0 ] && grep -q '^visible 0' "$work/hidden.out"; then
  figure app.idle_hidden_1k_cpu_pct "$(awk '$1 == "idle_hidden_pct" { printf "%.3f", $2 }' \
    "$work/hidden.out")" "<=" 0.05
else
  echo "app.sh: hidden idle run failed" >&2
  exit 1
fi
