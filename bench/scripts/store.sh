#!/usr/bin/env bash
# A data file that claims 16,000,000 reminders but holds two: 2 GB long, a few
# kB on disk (sparse), as a crash or a bad copy may leave one. The time to the
# window's first paint (app_probe), the real program's peak resident size
# (VmHWM, read just before SIGTERM) and how long SIGTERM takes to end it.
set -uo pipefail
build=${1:-build-bench}
probe=$build/bench/app_probe
bin=$build/src/app/fruitwake
. "$(dirname "$0")/figures.bash"
need_programs "$probe" "$bin"
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run QT_LOGGING_RULES='qt.multimedia.*=false' QT_QPA_PLATFORM=offscreen


sparse() { # sparse <data home>: two reminders, a count of 16,000,000 and the length to match
  rm -rf "$1" && mkdir -p "$1"
  XDG_DATA_HOME=$1 "$probe" make-data 2 || { echo "store.sh: make-data failed" >&2; exit 1; }
  local f=$1/fruitwake/foodinfo.dat
  printf '\x00\x24\xf4\x00' | dd of="$f" bs=1 seek=504 conv=notrunc status=none
  truncate -s $(((16000000 + 3) * 128)) "$f"
}

starts=() peaks=() terms=()
for run in 1 2 3; do
  sparse "$work/data"
  out=$(XDG_DATA_HOME=$work/data timeout 90 "$probe" startup "$(date +%s%N)" 2>"$work/err") || {
    echo "store.sh: start-up with the sparse file failed: $(cat "$work/err")" >&2; exit 1; }
  [ "$(awk '$1 == "rows" { print $2 }' <<<"$out")" = 2 ] || {
    echo "store.sh: the window did not show the two reminders: $out" >&2; exit 1; }
  starts+=("$(awk '$1 == "startup_ms" { print $2 }' <<<"$out")")

  sparse "$work/data"
  XDG_DATA_HOME=$work/data "$bin" 2>/dev/null &
  pid=$!
  # Loaded once the two reminders are saved on their own (30 s at most), then a second of running.
  for _ in $(seq 300); do [ "$(stat -c %s "$work/data/fruitwake/foodinfo.dat")" = 640 ] && break; sleep 0.1; done
  sleep 1
  peaks+=("$(awk '/^VmHWM:/ { printf "%.1f", $2 / 1024 }' /proc/$pid/status)")
  t0=$(now_ms)
  kill -TERM $pid
  for _ in $(seq 3000); do kill -0 $pid 2>/dev/null || break; sleep 0.01; done
  terms+=($(($(now_ms) - t0)))
  wait $pid 2>/dev/null
  pid=
done
figure store.sparse_16m_startup_ms "$(printf '%s\n' "${starts[@]}" | median)" "<=" 2000
figure store.sparse_16m_peak_rss_mb "$(printf '%s\n' "${peaks[@]}" | median)" "<=" 150
figure store.sparse_16m_sigterm_ms "$(printf '%s\n' "${terms[@]}" | median)" "<=" 2000
