#!/usr/bin/env bash
# Builds the .deb from a finished build tree into a scratch folder and checks
# what it would install.
set -euo pipefail
build=${1:?usage: check_package.sh <build dir> <version>}
version=${2:?usage: check_package.sh <build dir> <version>}
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
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || { echo "FAIL: package version"; status=1; }
# QT_QPA_PLATFORM=wayland needs Qt's Wayland plug-in; it is recommended on its own, not as a choice.
dpkg-deb -f "$deb" Recommends | tr ',' '\n' | grep -qx ' *qt6-wayland *' ||
  { echo "FAIL: does not recommend qt6-wayland"; status=1; }
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6multimedia6 qt6-qpa-plugins \
           qt6-translations-l10n; do
  [[ "$depends" == *"$dep"* ]] || { echo "FAIL: does not depend on $dep"; status=1; }
done
# What is installed is what was validated: the extracted files, not the sources.
dpkg-deb -x "$deb" "$tmp/root"
[ -x "$tmp/root/usr/bin/fruitwake" ] || { echo "FAIL: binary not executable"; status=1; }
desktop-file-validate "$tmp/root/usr/share/applications/fruitwake.desktop" || status=1
appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/io.github.fruitwake.Fruitwake.metainfo.xml" || status=1
# One version throughout: the program, its changelog and its manual page.
[ "$("$tmp/root/usr/bin/fruitwake" --version)" = "Fruitwake $version" ] ||
  { echo "FAIL: fruitwake --version"; status=1; }
zcat "$tmp/root/usr/share/doc/fruitwake/changelog.gz" >"$tmp/changelog"
[ "$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)" = "$version" ] ||
  { echo "FAIL: changelog version"; status=1; }
skipped=()
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" >"$tmp/lintian" 2>&1 ||
    { cat "$tmp/lintian"; echo "FAIL: lintian"; status=1; }
else
  skipped+=(lintian)
fi
# The manual page lists the options that --help lists.
if command -v man >/dev/null; then
  LC_ALL=C.UTF-8 MANWIDTH=100 man --warnings -l "$tmp/root/usr/share/man/man1/fruitwake.1.gz" \
    >"$tmp/man" 2>"$tmp/man.err" || { echo "FAIL: man -l"; status=1; }
  [ -s "$tmp/man.err" ] && { cat "$tmp/man.err"; echo "FAIL: the manual page has faults"; status=1; }
  grep -q "^Fruitwake $version " "$tmp/man" || { echo "FAIL: manual page version"; status=1; }
  man_opts=$(sed -n '/^OPTIONS$/,/^[A-Z]/p' "$tmp/man" | grep -E '^ +-[-a-z]+(, -[-a-z]+)* *$' |
             grep -oE -- '-[-a-z]+' | sort)
  help_opts=$("$tmp/root/usr/bin/fruitwake" --help | grep -E '^ +-' | sed -E 's/^ +//; s/ {2,}.*//' |
              grep -oE -- '-[-a-z]+' | sort)
  [[ -n $help_opts && $man_opts == "$help_opts" ]] ||
    { echo "FAIL: options in the manual page:" $man_opts "; in --help:" $help_opts; status=1; }
else
  skipped+=(man)
fi
[ "$status" = 0 ] || exit 1
if [ ${#skipped[@]} -gt 0 ]; then
  echo "SKIP: not installed: ${skipped[*]} (the other package checks passed)"
  exit 77
fi
echo "package: all checks passed ($(basename "$deb"))"
