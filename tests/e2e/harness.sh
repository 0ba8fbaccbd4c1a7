# Sourced by the end-to-end scripts: a skip where the machine lacks a tool, a
# session bus of the script's own, and the program's folders inside $work.
skip() { echo "SKIP: $*"; exit 77; }
# private_work: $work, a folder that goes with the script and everything it started.
private_work() {
  work=$(mktemp -d)
  trap 'kill -9 $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
}
need_tools() { local t; for t; do command -v "$t" >/dev/null || skip "$t is not installed"; done; }
need_python_bus() { /usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || skip "python3-dbus or python3-gi missing"; }
# on_private_bus "$@": runs the script again under a bus of its own, so that the
# fake services it starts are the only ones the program finds.
on_private_bus() { [ -n "${FW_PRIVATE_BUS:-}" ] || FW_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"; }
# private_bus_daemon: that bus's daemon, the other child of our parent dbus-run-session.
private_bus_daemon() {
  local p pid comm ppid
  for p in /proc/[0-9]*; do
    read -r pid comm _ ppid _ <"$p/stat" 2>/dev/null || continue
    [ "$ppid" = "$PPID" ] && [ "$comm" = "(dbus-daemon)" ] && echo "$pid"
  done
}
# private_homes: HOME and the XDG folders inside $work, and $file the data file.
private_homes() {
  export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
  mkdir -p "$HOME" "$XDG_DATA_HOME/fruitwake" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  file=$XDG_DATA_HOME/fruitwake/foodinfo.dat
}
# wait_for <command> [tenths of a second]: true once the command succeeds.
wait_for() {
  local _i
  for _i in $(seq "${2:-200}"); do eval "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
