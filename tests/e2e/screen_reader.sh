#!/usr/bin/env bash
# The real program as a screen reader meets it, over the accessibility bus:
# its own session bus (dbus-run-session) on an Xvfb screen.
set -uo pipefail
bin=$1 here=$(dirname "$0")
skip() { echo "SKIP: $*"; exit 77; }
for t in dbus-run-session xdotool; do command -v $t >/dev/null || skip "no $t"; done
py=/usr/bin/python3; [ -x $py ] || py=python3  # the system one, which has the Debian modules
"$py" -c "import pyatspi" 2>/dev/null || skip "no python3-pyatspi"
[ -e /usr/share/dbus-1/services/org.a11y.Bus.service ] || skip "no at-spi2-core"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run TZ=Asia/Shanghai LANG=C
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
. "$here/private_x.sh"
start_x 1280x1024
dbus-run-session -- "$py" "$here/screen_reader.py" "$bin"
