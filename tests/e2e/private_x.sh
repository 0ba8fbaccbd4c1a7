# Sourced: start_x <WxH> starts a private Xvfb on a display it picks itself
# (no race with other X servers starting at the same time) and exports DISPLAY.
# Needs $work; the caller's EXIT trap ends it with the other jobs.
start_x() {
  command -v Xvfb >/dev/null || { echo "SKIP: no Xvfb"; exit 77; }
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { cat "$work/xvfb.log"; echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=:$(head -n1 "$work/display")
}
