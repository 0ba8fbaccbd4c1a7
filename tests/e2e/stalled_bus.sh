#!/usr/bin/env bash
# The session bus stops answering (its daemon stopped) two seconds before a
# ripe alert while Fruitwake is minimised: the GUI thread keeps answering, the
# box comes on time, and SIGTERM still saves and ends the program.
set -uo pipefail
bin=$1 tool=$2 here=$(dirname "$0")
. "$here/harness.sh"
need_tools openbox xwininfo dbus-run-session
need_python_bus
on_private_bus "$@"
bus=$(private_bus_daemon)
[ -n "$bus" ] || skip "the private bus daemon was not found"
work=$(mktemp -d)
trap 'kill -CONT $bus; kill $(jobs -p) 2>/dev/null; sleep 0.2; kill -9 $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; echo "--- program's stderr"; cat "$work/stderr"; exit 1; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

. "$here/private_x.sh"
start_x 1024x768
export QT_QPA_PLATFORM=xcb TZ=Asia/Shanghai
private_homes
openbox --sm-disable &
/usr/bin/python3 "$here/fake_notifications.py" "$work/notes" >"$work/ready" &
for _ in $(seq 100); do grep -q ready "$work/ready" && break; sleep 0.1; done

ripe=$(( $(date +%s) + 8 ))
"$tool" write "$file" $ripe 1
"$bin" --hidden 2>"$work/stderr" & pid=$!
/usr/bin/python3 "$here/gui_pinger.py" $pid "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME" >"$work/pings" & pinger=$!
for _ in $(seq 100); do grep -q pinging "$work/pings" && break; sleep 0.1; done
grep -q pinging "$work/pings" || fail "no answer on the single-instance socket"
while [ "$(now_ms)" -lt $(( (ripe - 2) * 1000 )) ]; do sleep 0.05; done
kill -STOP $bus

boxes() { xwininfo -root -tree | grep -c '"Fruitwake": ("fruitwake"'; }
seen=
while [ "$(now_ms)" -lt $(( (ripe + 5) * 1000 )) ]; do
  [ "$(boxes)" -ge 1 ] && { seen=$(( $(now_ms) - ripe * 1000 )); break; }
  sleep 0.05
done
sleep 1.5  # the next tick drops the ripe single-season row, which the exit save then shows
kill -TERM $pid; term=$(now_ms)
ended=
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || { ended=$(( $(now_ms) - term )); break; }; sleep 0.05; done
kill -TERM $pinger; wait $pinger
stall=$(awk '$1 == "stall" { print $2 }' "$work/pings")
echo "box ${seen:-missing} ms after its second; longest GUI stall ${stall} ms; ended ${ended:-never} ms after SIGTERM"
[ -n "$ended" ] || fail "SIGTERM did not end the program within 5 s"
wait $pid || fail "exit status $? after SIGTERM"
[ -n "$seen" ] || fail "no ripe box within 5 s of its second"
[ "$seen" -le 2000 ] || fail "the box came ${seen} ms late"
[ "${stall:-99999}" -le 1500 ] || fail "the GUI thread stalled for ${stall} ms"
"$tool" dump "$file" | grep -q '^whole 0 lead=5$' || fail "not saved at exit: $("$tool" dump "$file")"
echo "1 passed, 0 failed"
