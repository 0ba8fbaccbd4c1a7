#!/usr/bin/env bash
# The shipped menu entry, autostart entry and AppStream data pass the desktop's
# own validators, and name files that exist.
set -euo pipefail
res=${1:?usage: check_desktop_files.sh <res dir> <built metainfo>}
metainfo=${2:?usage: check_desktop_files.sh <res dir> <built metainfo>}
status=0
for f in "$res/fruitwake.desktop" "$res/fruitwake-autostart.desktop"; do
  desktop-file-validate "$f" || { echo "FAIL: $f"; status=1; }
  grep -qx 'Exec=fruitwake' "$f" || [[ $f == *autostart* ]] || { echo "FAIL: $f does not start fruitwake"; status=1; }
  grep -qx 'Icon=fruitwake' "$f" || { echo "FAIL: $f does not name the icon"; status=1; }
done
# Started with the session, it waits in the tray.
grep -qx 'Exec=fruitwake --hidden' "$res/fruitwake-autostart.desktop" ||
  { echo "FAIL: the autostart entry does not start hidden"; status=1; }
appstreamcli validate --no-net "$metainfo" || { echo "FAIL: metainfo"; status=1; }
grep -q '<launchable type="desktop-id">fruitwake.desktop</launchable>' "$metainfo" ||
  { echo "FAIL: metainfo does not launch fruitwake.desktop"; status=1; }
for size in 16 22 24 32 48 64 128 256; do
  [ -s "$res/icons/fruitwake-$size.png" ] || { echo "FAIL: no $size px icon"; status=1; }
done
[ "$status" = 0 ] && echo "desktop files: all checks passed"
exit "$status"
