#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds the Debian package,
# then checks that both lay out the programs, the desktop entry, the icon and
# the manual pages.
#   tests/packaging/check_install.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

expected=(
  bin/quillmere
  bin/sft2bmp
  share/applications/quillmere.desktop
  share/icons/hicolor/32x32/apps/quillmere.png
  share/man/man1/quillmere.1
  share/man/man1/sft2bmp.1
)
fail=0

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
for f in "${expected[@]}"; do
  [ -f "$tmp/prefix/$f" ] || { echo "install: missing $f"; fail=1; }
done
[ -x "$tmp/prefix/bin/sft2bmp" ] && "$tmp/prefix/bin/sft2bmp" --help >/dev/null || { echo "install: sft2bmp does not run"; fail=1; }
grep -qx 'Categories=Graphics;Viewer;' "$tmp/prefix/share/applications/quillmere.desktop" || { echo "desktop entry: categories"; fail=1; }

(cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
deb=$(ls "$tmp"/*.deb)
listing=$(dpkg-deb -c "$deb")
for f in "${expected[@]}"; do
  grep -q "\./usr/$f\$" <<<"$listing" || { echo "deb: missing /usr/$f"; fail=1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libstdc++6; do
  grep -q "$lib" <<<"$depends" || { echo "deb: Depends lacks $lib ($depends)"; fail=1; }
done

if [ $fail -eq 0 ]; then
  echo "install and package: 1 passed, 0 failed"
else
  echo "install and package: 0 passed, 1 failed"
  exit 1
fi
