# Sourced: after_ripe_alert checks, with $pid (the program), $pinger (its
# gui_pinger.py), $ripe (the alert's second), $tool, $file and fail() set, that
# the ripe box comes on time, SIGTERM saves and ends the program within 2 s,
# and the window's thread never froze meanwhile.
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
after_ripe_alert() {
  local box= t0 out stall
  while [ "$(now_ms)" -lt $(( (ripe + 10) * 1000 )) ]; do
    xwininfo -root -tree | grep -q '"Fruitwake": ("fruitwake"' && { box=$(( $(now_ms) - ripe * 1000 )); break; }
    sleep 0.05
  done
  [ -n "$box" ] || fail "no box within 10 s of the ripe second"
  echo "box ${box} ms after the ripe second"
  [ "$box" -le 2000 ] || fail "the box came ${box} ms late"
  sleep 1
  t0=$(now_ms)
  kill -TERM $pid
  for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && fail "still running 5 s after SIGTERM"
  wait $pid || fail "exit status $? after SIGTERM"
  echo "ended $(( $(now_ms) - t0 )) ms after SIGTERM"
  [ $(( $(now_ms) - t0 )) -le 2000 ] || fail "SIGTERM took too long"
  out=$("$tool" dump "$file")
  [ "$(head -n1 <<<"$out")" = "whole 0 lead=5" ] || fail "data file afterwards: $out"
  wait $pinger
  stall=$(awk '$1 == "stall" { print $2 }' "$work/pings")
  echo "longest wait for the window's thread: ${stall} ms"
  # A frozen thread is seconds; the finer target is the benchmark's.
  [ "${stall:-99999}" -le 1000 ] || fail "the window's thread stalled for ${stall} ms"
}
