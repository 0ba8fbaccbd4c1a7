#!/usr/bin/env bash
# The command line of the real program: --help and
# --version need no display and touch nothing, a wrong option is told in one
# line, --hidden starts minimised where there is no tray and a hidden second
# start leaves the running window as it is.
set -uo pipefail
bin=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run HOME=$work/home TZ=Asia/Shanghai
mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
fail() { echo "FAIL: $*"; exit 1; }
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin" "$@"; }

out=$(nodisplay --help) || fail "--help: exit status $?"
grep -q -- '--hidden' <<<"$out" || fail "--help does not name --hidden: $out"
out=$(nodisplay --version) || fail "--version: exit status $?"
[[ $out == "Fruitwake "[0-9]* ]] || fail "--version reads $out"
nodisplay --no-such-option >"$work/out" 2>"$work/err"; rc=$?
[ $rc = 2 ] || fail "an unknown option ends with $rc"
[ -s "$work/out" ] && fail "an unknown option writes to stdout"
[ "$(wc -l <"$work/err")" = 1 ] || fail "not one line on stderr: $(cat "$work/err")"
[ -e "$XDG_DATA_HOME" ] || [ -e "$HOME" ] && fail "the data folder was touched"

export QT_QPA_PLATFORM=xcb
. "$(dirname "$0")/private_x.sh"
start_x 1280x1024
command -v openbox >/dev/null || { echo "SKIP: no openbox for the window states"; exit 77; }
openbox --sm-disable >/dev/null 2>&1 &
sleep 1
state() {
  local win
  win=$(xwininfo -root -tree | awk '/"FruitwakeV/{print $1; exit}')
  [ -n "$win" ] && xprop -id "$win" WM_STATE | awk '/window state/{print $3}'
}
# The window is first mapped Normal and minimised once it is there: wait for it, bounded.
wait_state() { for _ in $(seq 150); do [ "$(state)" = "$1" ] && return 0; sleep 0.1; done; return 1; }
"$bin" --hidden 2>"$work/stderr" &
wait_state Iconic || fail "--hidden without a tray: window state $(state)"
timeout 20 "$bin" --hidden || fail "a hidden second start ended with $?"
sleep 1
[ "$(state)" = Iconic ] || fail "a hidden second start changed the window to $(state)"
timeout 20 "$bin" || fail "a second start ended with $?"
wait_state Normal || fail "a second start left the window $(state)"
echo "1 passed, 0 failed"
