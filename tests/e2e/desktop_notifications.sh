#!/usr/bin/env bash
# A ripe alert while Fruitwake is minimised, told to a notification service
# that reads body markup: the note shows exactly as typed, the notification
# stays until dismissed, and a click on it brings the window forward.
set -uo pipefail
bin=$1 tool=$2 here=$(dirname "$0")
. "$here/harness.sh"
need_tools openbox xdotool xwininfo dbus-run-session dbus-send
need_python_bus
on_private_bus "$@"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; sleep 0.2; kill -9 $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"; echo "--- program's stderr"; cat "$work/stderr"
  echo "--- notifications"; cat "$work/notes" 2>/dev/null; exit 1
}

. "$here/private_x.sh"
start_x 1024x768
export QT_QPA_PLATFORM=xcb TZ=Asia/Shanghai
private_homes
openbox --sm-disable &
/usr/bin/python3 "$here/fake_notifications.py" "$work/notes" markup >"$work/ready" &
wait_for 'grep -q ready "$work/ready"' || fail "the fake notification service did not start"

note='<b>x</b> &amp; y<i>'
"$tool" write "$XDG_DATA_HOME/fruitwake/foodinfo.dat" $(( $(date +%s) + 6 )) 1 "$note"
"$bin" --hidden 2>"$work/stderr" &
wait_for 'win=$(xdotool search --name "^FruitwakeV")' || fail "no main window"
wait_for '[ -s "$work/notes" ]' || fail "no notification"
IFS='|' read -r _ _ _ body _ expiry _ actions <"$work/notes"
# What a markup reader shows: the body's text, with no element in it.
shown=$(/usr/bin/python3 -c 'import sys, xml.etree.ElementTree as E
m = E.fromstring("<m>" + sys.argv[1] + "</m>")
print("element" if len(m) else m.text)' "$body" 2>&1)
[ "$shown" = "牧草成熟了！不摘就没有了。。。注：$note" ] || fail "a markup reader shows: $shown"
[ "$expiry" = 0 ] || fail "the ripe notification expires after $expiry ms"
[[ ",$actions," == *,default,* ]] || fail "no default action: $actions"

# The box brought the window back: minimised again, with its box.
wait_for 'xdotool search --onlyvisible --name "^Fruitwake$"' || fail "no alert box"
xdotool windowminimize --sync "$win" || fail "could not minimise"
viewable() { xwininfo -id "$win" | grep -q IsViewable; }
sleep 0.5; viewable && fail "the window is not minimised"
dbus-send --session --print-reply --type=method_call --dest=org.freedesktop.Notifications /org/freedesktop/Notifications \
  test.Fake.Click uint32:1 >/dev/null || fail "could not click the notification"
wait_for viewable || fail "a click left the window minimised"
echo "1 passed, 0 failed"
