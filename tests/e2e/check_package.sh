#!/usr/bin/env bash
# Builds the .deb from a finished build tree into a scratch folder and checks
# what it would install.
set -euo pipefail
build=${1:?usage: check_package.sh <build dir>}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
debs=("$tmp"/fruitwake_*.deb)
[ -f "${debs[0]}" ] || { echo "FAIL: no fruitwake_*.deb made"; exit 1; }
deb=${debs[0]}
status=0
dpkg-deb -c "$deb" | awk '{print $NF}' >"$tmp/contents"
expect=(./usr/bin/fruitwake
        ./usr/share/applications/fruitwake.desktop
        ./usr/share/icons/hicolor/scalable/apps/fruitwake.svg
        ./usr/share/metainfo/io.github.fruitwake.Fruitwake.metainfo.xml)
for size in 16 22 24 32 48 64 128 256; do
  expect+=("./usr/share/icons/hicolor/${size}x${size}/apps/fruitwake.png")
done
for path in "${expect[@]}"; do
  grep -qxF "$path" "$tmp/contents" || { echo "FAIL: $path missing from the package"; status=1; }
done
[ "$(dpkg-deb -f "$deb" Package)" = fruitwake ] || { echo "FAIL: package name"; status=1; }
[ "$(dpkg-deb -f "$deb" Maintainer)" = "Fruitwake developers" ] || { echo "FAIL: maintainer"; status=1; }
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6multimedia6 qt6-qpa-plugins gstreamer1.0-plugins-good \
           qt6-translations-l10n; do
  [[ "$depends" == *"$dep"* ]] || { echo "FAIL: does not depend on $dep"; status=1; }
done
# What is installed is what was validated: the extracted files, not the sources.
dpkg-deb -x "$deb" "$tmp/root"
[ -x "$tmp/root/usr/bin/fruitwake" ] || { echo "FAIL: binary not executable"; status=1; }
desktop-file-validate "$tmp/root/usr/share/applications/fruitwake.desktop" || status=1
appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/io.github.fruitwake.Fruitwake.metainfo.xml" || status=1
[ "$status" = 0 ] && echo "package: all checks passed ($(basename "$deb"))"
exit "$status"
