#!/usr/bin/env bash
# The session bus stops answering around a ripe alert while the real program is
# hidden (its bus daemon stopped from 2 s before the alert to 3 s after it),
# with a notification service on the bus before the stop:
#   bus.stall_bus_stopped_ms  the longest wait for the program's window thread,
#       pinged every 100 ms, the worst of three runs
set -uo pipefail
build=${1:-build-bench}
. "$(dirname "$0")/figures.bash"
need_programs "$build/bench/sound_probe" "$build/src/app/fruitwake"
need_tools dbus-run-session Xvfb openbox
[ -n "${FW_BENCH_BUS:-}" ] || exec env FW_BENCH_BUS=1 dbus-run-session -- bash "$0" "$@"
probe=$(realpath "$build/bench/sound_probe") bin=$(realpath "$build/src/app/fruitwake")
. "$e2e/harness.sh"
bus=$(private_bus_daemon)
[ -n "$bus" ] || { echo "bus.sh: the private bus daemon was not found" >&2; exit 1; }
work=$(mktemp -d)
trap 'kill -CONT $bus; kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
. "$e2e/private_x.sh"
start_x 1024x768
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
openbox --sm-disable >/dev/null 2>&1 &
/usr/bin/python3 "$e2e/fake_notifications.py" "$work/notes" >"$work/ready" &
for _ in $(seq 100); do grep -q ready "$work/ready" && break; sleep 0.1; done

stall() {
  export XDG_DATA_HOME=$work/data$1
  local ripe=$(( $(date +%s) + 8 ))
  "$probe" --data "$XDG_DATA_HOME/fruitwake/foodinfo.dat" $ripe "" || return 1
  "$bin" --hidden 2>/dev/null &
  local app=$!
  /usr/bin/python3 "$e2e/gui_pinger.py" $app "$XDG_RUNTIME_DIR" >"$work/pings" &
  local ping=$!
  while [ "$(date +%s)" -lt $((ripe - 2)) ]; do sleep 0.05; done
  kill -STOP $bus
  sleep 5
  kill -CONT $bus
  sleep 1
  kill $app
  wait $app
  wait $ping
  awk '$1 == "stall" { print $2 }' "$work/pings"
}

stalls=$(for run in 1 2 3; do stall $run; done)
echo "bus.sh: stalls (ms):" $stalls >&2
figure bus.stall_bus_stopped_ms "$(worst <<<"$stalls")" "<=" 250
