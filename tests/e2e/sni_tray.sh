#!/usr/bin/env bash
# A StatusNotifierItem tray (a fake watcher with a host, as KDE Plasma or
# waybar offer one) under openbox, which has no tray of its own: one that comes
# up after Fruitwake started is used from then on, one that goes away and
# comes back is used again, and one there at start is used.
set -uo pipefail
bin=$1
. "$(dirname "$0")/harness.sh"
need_tools openbox xdotool xprop xwininfo gdbus dbus-run-session
need_python_bus
on_private_bus "$@"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
. "$(dirname "$0")/private_x.sh"
start_x 1024x768
export QT_QPA_PLATFORM=xcb TZ=Asia/Shanghai NO_AT_BRIDGE=1
private_homes
openbox --sm-disable >/dev/null 2>&1 &
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window && break; sleep 0.1; done
failures=0
check() { if eval "$1"; then echo "ok: $2"; else echo "FAIL: $2"; failures=$((failures + 1)); fi; }
state() { # Normal, Iconic, or Withdrawn (hidden)
  local s
  s=$(xprop -id "$win" WM_STATE 2>/dev/null | awk '/window state/{print $3}')
  echo "${s:-Withdrawn}"
}
wait_state() { for _ in $(seq 50); do [ "$(state)" = "$1" ] && return 0; sleep 0.1; done; return 1; }
tray() {
  /usr/bin/python3 "$(dirname "$0")/fake_sni_watcher.py" "$work/items" >"$work/tray.out" &
  watcher=$!
  for _ in $(seq 100); do grep -q ready "$work/tray.out" && return; sleep 0.1; done
  echo "FAIL: the fake tray did not start"; exit 1
}
start() {
  local try
  # openbox now and then leaves a window that was mapped early unmanaged: once more then.
  for try in 1 2; do
    "$bin" 2>>"$work/stderr" &
    fw=$!
    win=""
    for _ in $(seq 100); do
      win=$(xwininfo -root -tree | awk '/"FruitwakeV/{print $1; exit}')
      [ -n "$win" ] && break
      sleep 0.1
    done
    [ -n "$win" ] && wait_state Normal && { sleep 1; return; }
    echo "note: no managed window on try $try"
    kill $fw; wait $fw
  done
  echo "FAIL: no main window"; cat "$work/stderr"; exit 1
}
# Minimising goes to the tray: the window is hidden and its item registered.
minimise_hides() {
  : >"$work/items"
  xdotool windowminimize "$win"
  wait_state Withdrawn && for _ in $(seq 30); do [ -s "$work/items" ] && return 0; sleep 0.1; done
  return 1
}
# The tray's left click, as the host sends it.
activate() {
  [ -s "$work/items" ] && gdbus call --session --dest "$(tail -n1 "$work/items" | cut -d' ' -f1)" --object-path /StatusNotifierItem \
    --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
}

start
xdotool windowminimize "$win"
check 'wait_state Iconic' "without a tray, minimised"
xdotool windowactivate "$win"
wait_state Normal
tray
sleep 1
check 'minimise_hides' "a tray that came after the start: hidden there"
check 'activate && wait_state Normal' "its click brings the window back"
kill $fw; wait $fw
start
check 'minimise_hides' "a tray there at start: hidden there"
activate
wait_state Normal
kill $watcher; wait $watcher
sleep 1
tray
sleep 1
check 'minimise_hides' "the tray gone and back: hidden there again"
[ $failures = 0 ] || { echo "--- program's stderr"; cat "$work/stderr"; exit 1; }
echo "1 passed, 0 failed"
