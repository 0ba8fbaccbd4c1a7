#!/usr/bin/env bash
# Fruitwake on GNOME Shell 43 (nested, under Xvfb), as the user starts it:
#   gnome_desktop.sh <bin> <tool> xwayland   Qt's wayland plugin not installed
#   gnome_desktop.sh <bin> <tool> wayland    QT_QPA_PLATFORM=wayland
# Without a tray: the window can be minimised by the shell (Super+H) and by
# close + Cancel, keeps its size and title and cannot be maximised. A ripe
# alert while the shell has minimised the window and an xterm has the focus
# leaves the focus there, sends one desktop notification and is seen. Then the
# AppIndicator tray comes up while Fruitwake runs, and hiding goes there.
set -uo pipefail
bin=$1 tool=$2 mode=$3
. "$(dirname "$0")/gnome_rig.sh"
gnome_require xterm xprop
plugins=$(ls -d /usr/lib/*/qt6/plugins/platforms 2>/dev/null | head -n1)
[ -e "$plugins/libqwayland-generic.so" ] || { echo "SKIP: qt6-wayland is not installed"; exit 77; }
gnome_session "$@"
trap 'kill $(jobs -p) 2>/dev/null; sleep 0.3; kill -9 $(jobs -p) 2>/dev/null' EXIT
start_gnome
export XDG_DATA_HOME=$work/data TZ=Asia/Shanghai NO_AT_BRIDGE=1
data=$XDG_DATA_HOME/fruitwake/foodinfo.dat
mkdir -p "${data%/*}"
failures=0
check() { if eval "$1"; then echo "ok: $2"; else echo "FAIL: $2"; failures=$((failures + 1)); fi; }

mkdir "$work/platforms"
cp -a "$plugins"/. "$work/platforms/"
rm -f "$work/platforms"/libqwayland*
# Runs the program as a package without Qt's wayland plugin does (in a subshell: it execs).
without_qt_wayland() {
  exec unshare -m --propagation private sh -c 'mount --bind "$0" "$1" && shift && exec "$@"' \
    "$work/platforms" "$plugins" "$bin"
}
n=0
start_fw() {
  n=$((n + 1))
  if [ "$mode" = wayland ]; then
    QT_QPA_PLATFORM=wayland "$bin" 2>"$work/fw$n.log" &
  else
    (unset QT_QPA_PLATFORM; without_qt_wayland) 2>"$work/fw$n.log" &
  fi
  fw=$!
  wait_eval "!!$W" true 200 || { echo "FAIL: no main window"; cat "$work/fw$n.log"; exit 1; }
  sleep 1 # settled
}
stop_fw() { kill "$fw"; wait "$fw" 2>/dev/null; }
W=$(win_js 'FruitwakeV*')
# The shell's close button, then Cancel (the question closed by its frame).
close_cancel() {
  shell_eval "$W.delete(global.get_current_time())" >/dev/null
  wait_eval "!!$(win_js 关闭提醒)" true 100 || return 1
  shell_eval "$(win_js 关闭提醒).delete(global.get_current_time())" >/dev/null
  wait_eval "!$(win_js 关闭提醒)" true 100
}
restore() { shell_eval "$W.activate(global.get_current_time())" >/dev/null; wait_eval "$W.minimized" false 50; }

xterm -title holder &
wait_eval "!!$(win_js holder)" true 200 || { echo "FAIL: no xterm"; exit 1; }
hold_focus() {
  shell_eval "$(win_js holder).activate(global.get_current_time())" >/dev/null
  wait_eval 'global.display.focus_window.get_title()' '"holder"' 50
}

# The window, without a tray.
"$tool" write "$data" $(( $(date +%s) + 86400 )) 1
start_fw
want_client=1 # X11
[ "$mode" = wayland ] && want_client=0
check '[ "$(shell_eval "$W.get_client_type()")" = $want_client ]' "runs on the expected platform ($mode)"
check '[ "$(shell_eval "[$W.can_minimize(), $W.can_maximize(), $W.allows_resize()].join()")" = "\"true,false,false\"" ]' \
  "the shell may minimise it, not maximise or resize it"
check '[[ "$(shell_eval "$W.get_title()")" == *"快乐游戏_轻松游戏^_^\"" ]]' "the title"
if [ "$mode" = xwayland ]; then
  xid=$(shell_eval "$W.get_description()" | tr -d '"')
  check 'xprop -id "$xid" _NET_WM_ALLOWED_ACTIONS | grep -q MINIMIZE' "_NET_WM_ALLOWED_ACTIONS has MINIMIZE"
fi
shell_eval "$W.minimize()" >/dev/null
check 'wait_eval "$W.minimized" true 30' "Super+H minimises it"
restore
check 'close_cancel && wait_eval "$W.minimized" true 30' "close + Cancel minimises it"
restore
check 'sleep 1; kill -0 $fw' "it runs on once restored"
stop_fw

# A ripe alert while the window is minimised and an xterm has the focus.
notes() { grep -c 'destination=org.freedesktop.Notifications .*member=Notify' "$work/monitor"; }
dbus-monitor "interface='org.freedesktop.Notifications',member='Notify'" >"$work/monitor" 2>/dev/null &
for lead in 15 40; do # more time on a slow machine
  ripe=$(( $(date +%s) + lead ))
  "$tool" write "$data" $ripe 1
  start_fw
  shell_eval "$W.minimize()" >/dev/null
  wait_eval "$W.minimized" true 30
  hold_focus && [ $(date +%s) -lt $((ripe - 1)) ] && break
  stop_fw
done
check '[ "$(notes)" = 0 ]' "no notification before the alert"
for _ in $(seq $((ripe - $(date +%s) + 15))); do
  [ "$(notes)" != 0 ] || [ "$(shell_eval "!!$(win_js Fruitwake)")" = true ] && break
  sleep 1
done
sleep 2
check '[ "$(notes)" = 1 ]' "one desktop notification ($(notes))"
check '[ "$(focus_title)" = "\"holder\"" ]' "the focus stays in the xterm ($(focus_title))"
box="$(win_js Fruitwake)"
if [ "$mode" = xwayland ]; then
  check '[ "$(shell_eval "$box.is_above() && !$W.minimized")" = true ]' "the box is on top, the window shown"
else
  # Nothing can come up here without taking the focus: the box waits until
  # the user comes to Fruitwake.
  check '[ "$(shell_eval "!$box")" = true ]' "no box while another program has the focus"
  restore
  check 'wait_eval "!!$box" true 50' "the box once Fruitwake is active"
fi

# A tray comes up while the program runs: hiding goes there.
enable_appindicator
wait_eval 'Main.extensionManager.lookup("ubuntu-appindicators@ubuntu.com").state' 1 100
sleep 2
restore
check 'close_cancel && wait_eval "!$W" true 30 && wait_tray_item true' \
  "close + Cancel hides it to a tray that came late"
stop_fw
wait_tray_item false
start_fw
if [ "$mode" = xwayland ]; then
  shell_eval "$W.minimize()" >/dev/null
  check 'wait_eval "!$W" true 30 && wait_tray_item true' "Super+H hides it to the tray"
else
  check 'close_cancel && wait_eval "!$W" true 30 && wait_tray_item true' \
    "close + Cancel hides it to a tray there at start"
fi
stop_fw
if [ "$mode" = xwayland ]; then
  # Where the user has not chosen, GNOME gets Xwayland, even with Qt's wayland plugin there;
  # a platform asked for but not installed falls back instead of aborting.
  env -u QT_QPA_PLATFORM "$bin" 2>"$work/fw-default.log" &
  fw=$!
  check 'wait_eval "($W || {get_client_type: () => -1}).get_client_type()" 1 200' "GNOME gets xcb by default"
  stop_fw
  (export QT_QPA_PLATFORM=wayland; without_qt_wayland) 2>"$work/fw-missing.log" &
  fw=$!
  check 'wait_eval "!!$W" true 200' "QT_QPA_PLATFORM=wayland without the plugin falls back"
  stop_fw
fi
[ $failures = 0 ] || { echo "--- last program's stderr"; cat "$work/fw$n.log"; exit 1; }
echo "1 passed, 0 failed"
