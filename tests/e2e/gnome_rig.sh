# Sourced: GNOME Shell 43 as a nested Wayland compositor with its own
# Xwayland, on a private Xvfb, with private session and system buses, a private
# XDG_RUNTIME_DIR and HOME. Skips (77) when a piece is missing.

gnome_require() {
  local t
  for t in gnome-shell Xwayland Xvfb unshare gdbus dbus-daemon dbus-run-session dbus-monitor "$@"; do
    command -v "$t" >/dev/null || { echo "SKIP: $t is not installed"; exit 77; }
  done
  /usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || { echo "SKIP: no python3-dbus or python3-gi"; exit 77; }
  # The shell gives up where it sees systemd without logind; it runs with
  # /run/systemd hidden, which needs a private mount namespace.
  unshare -m --propagation private true 2>/dev/null || { echo "SKIP: no mount namespaces"; exit 77; }
}

# Runs the calling script again on a session bus of its own; its folder becomes
# $work. Nothing is started there on demand but the shell's notification
# service, so every other service is one the test started, and none outlives it.
gnome_session() {
  if [ -n "${FW_GNOME_WORK:-}" ]; then work=$FW_GNOME_WORK; return; fi
  local d rc
  d=$(mktemp -d)
  mkdir "$d/services"
  cp /usr/share/dbus-1/services/org.gnome.Shell.Notifications.service "$d/services/"
  printf '%s\n' '<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>' \
    '<auth>EXTERNAL</auth>' "<servicedir>$d/services</servicedir>" \
    '<policy context="default"><allow send_destination="*" eavesdrop="true"/>' \
    '<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>' >"$d/bus.conf"
  FW_GNOME_WORK=$d dbus-run-session --config-file="$d/bus.conf" -- bash "$0" "$@"
  rc=$?
  rm -rf "$d"
  exit $rc
}

# Runs JavaScript in the shell (--unsafe-mode) and prints its JSON result.
shell_eval() {
  local out
  out=$(timeout 10 gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" 2>/dev/null) || return 1
  [[ $out == "(true, '"* ]] || return 1
  out=${out#"(true, '"}
  printf '%s\n' "${out%"')"}"
}

# Polls until the JavaScript's result is $2, for at most $3 tenths of a second.
wait_eval() {
  local i
  for ((i = 0; i < ${3:-100}; i++)); do
    [ "$(shell_eval "$1")" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# The window titled $1 (or, ending in *, whose title starts so), as JavaScript.
win_js() {
  local test="=== '$1'"
  [[ $1 == *'*' ]] && test=".startsWith('${1%'*'}')"
  echo "global.get_window_actors().map(a => a.meta_window).find(w => (w.get_title() || '') $test)"
}

# The title of the window with the keyboard focus.
focus_title() {
  shell_eval '(global.display.focus_window || {get_title: () => "none"}).get_title()'
}

start_gnome() {
  . "$(dirname "${BASH_SOURCE[0]}")/private_x.sh"
  start_x 1280x1024
  mkdir -p "$work/run" "$work/home"
  chmod 700 "$work/run"
  dbus-daemon --session --nofork --address="unix:path=$work/sysbus" >/dev/null 2>&1 &
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/sysbus
  export XDG_RUNTIME_DIR=$work/run HOME=$work/home GSETTINGS_BACKEND=memory
  export MUTTER_DEBUG_DUMMY_MODE_SPECS=1280x1000 XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME
  unshare -m --propagation private sh -c 'mount -t tmpfs tmpfs /run/systemd && exec "$@"' sh \
    gnome-shell --nested --wayland --wayland-display=wayland-fw --unsafe-mode >"$work/shell.log" 2>&1 &
  local t0=$SECONDS
  wait_eval 'Main.layoutManager._startingUp' false 900 || {
    tail -n 20 "$work/shell.log"; echo "FAIL: GNOME Shell did not answer within 90 s"; exit 1; }
  shell_eval 'Main.overview.hide()' >/dev/null
  wait_eval 'Main.overview.visible' false 100
  export WAYLAND_DISPLAY=wayland-fw
  DISPLAY=$(shell_eval 'GLib.getenv("DISPLAY")' | tr -d '"')
  XAUTHORITY=$(shell_eval 'GLib.getenv("XAUTHORITY")' | tr -d '"')
  export DISPLAY XAUTHORITY
  echo "GNOME Shell answered after $((SECONDS - t0)) s"
}

# The AppIndicator extension: an SNI tray host in the top bar.
enable_appindicator() {
  shell_eval "Main.extensionManager.enableExtension('ubuntu-appindicators@ubuntu.com')" >/dev/null
}

# Polls until an item shows in the AppIndicator tray ($1 true) or none does ($1 false).
wait_tray_item() {
  wait_eval "Object.keys(Main.panel.statusArea).some(k => k.startsWith('appindicator-') && Main.panel.statusArea[k].visible)" "$1" 50
}
