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
# win_of <pid> [tenths of a second]: the main window of that process once mapped, or nothing.
win_of() {
  local w
  for _ in $(seq "${2:-100}"); do
    w=$(xdotool search --all --onlyvisible --pid "$1" --name '^FruitwakeV' 2>/dev/null | head -n1)
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
}
# click_add <window>: a click in the middle of "添加", at 13,131 (50 x 14) of the window's
# 412 x 425 dialog units.
click_add() {
  local WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
  xdotool mousemove --window "$1" $((WIDTH * 38 / 412)) $((HEIGHT * 138 / 425)) click 1
}
