#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds the Debian package,
# then checks what both lay out: programs, desktop entry, MIME type, icons,
# AppStream metadata, manual pages and the Debian documents; that file
# managers would recognise the fonts; and that lintian and appstreamcli
# accept the package and the metadata without errors or warnings.
#   tests/packaging/check_install.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Nothing here may read or write the user's home or desktop settings.
export HOME="$tmp/home"
mkdir -p "$HOME"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID

metainfo=share/metainfo/io.github.quillmere.Quillmere.metainfo.xml
sizes=(16 32 48 64 128 256)
programs=(quillmere sft2bmp bmp2sft ttf2sft)
expected=(
  share/applications/quillmere.desktop
  share/mime/packages/quillmere.xml
  "$metainfo"
  share/icons/hicolor/scalable/apps/quillmere.svg
  share/doc/quillmere/copyright
  share/doc/quillmere/changelog.gz
)
for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/quillmere.png"); done
for p in "${programs[@]}"; do expected+=("bin/$p" "share/man/man1/$p.1.gz"); done
fail=0
bad() { echo "$*"; fail=1; }

prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || bad "install: missing $f"
done
for p in "${programs[@]:1}"; do
  [ -x "$prefix/bin/$p" ] && "$prefix/bin/$p" --help >/dev/null || bad "install: $p does not run"
done

# Each icon is the size its folder claims.
for s in "${sizes[@]}"; do
  png="$prefix/share/icons/hicolor/${s}x${s}/apps/quillmere.png"
  [ -f "$png" ] || continue
  got=$(identify -format '%wx%h' "$png")
  [ "$got" = "${s}x${s}" ] || bad "icon: ${s}x${s} folder holds a $got picture"
done

for page in "${programs[@]}"; do
  gzip -t "$prefix/share/man/man1/$page.1.gz" 2>/dev/null || bad "man: $page.1.gz is not gzip"
done
grep -q 'MIT' "$prefix/share/doc/quillmere/copyright" || grep -q 'Expat' "$prefix/share/doc/quillmere/copyright" \
  || bad "copyright: no licence"
head -1 "$prefix/share/doc/quillmere/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  || bad "copyright: not in the machine-readable format"

desktop="$prefix/share/applications/quillmere.desktop"
grep -qx 'Categories=Graphics;Viewer;' "$desktop" || bad "desktop entry: categories"
grep -qx 'Exec=quillmere %f' "$desktop" || bad "desktop entry: Exec does not take a file"
grep -qx 'MimeType=application/x-quillmere-sft;' "$desktop" || bad "desktop entry: MimeType"
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || bad "desktop-file-validate: $out"

out=$(appstreamcli validate --no-net "$prefix/$metainfo" 2>&1) || bad "appstreamcli failed: $out"
grep -E '^[EW]: ' <<<"$out" && bad "appstreamcli: errors or warnings"
grep -q '<mediatype>application/x-quillmere-sft</mediatype>' "$prefix/$metainfo" || bad "metainfo: MIME type not provided"

# File manager view: the type from the name in any case, from the magic
# without an extension, and not for other data.
export XDG_DATA_HOME="$prefix/share" XDG_DATA_DIRS="$prefix/share:/usr/share"
update-mime-database "$prefix/share/mime"
fonts="$tmp/fonts"
mkdir -p "$fonts"
printf 'not a font, named as one' >"$fonts/A.SFT"
cp "$src/samples/QUILL8.SFT" "$fonts/b.sft"
cp "$src/samples/QUILL16.SFT" "$fonts/noext"
printf 'plain words, no magic\n' >"$fonts/plain"
printf 'xSFNT at offset one\n' >"$fonts/late"
for f in A.SFT b.sft noext; do
  got=$(xdg-mime query filetype "$fonts/$f")
  [ "$got" = application/x-quillmere-sft ] || bad "mime: $f is '$got'"
done
for f in plain late; do
  got=$(xdg-mime query filetype "$fonts/$f")
  [ "$got" != application/x-quillmere-sft ] || bad "mime: $f taken for a font"
done
unset XDG_DATA_HOME XDG_DATA_DIRS

(cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
deb=$(ls "$tmp"/*.deb)
listing=$(dpkg-deb -c "$deb")
for f in "${expected[@]}"; do
  grep -q "\./usr/$f\$" <<<"$listing" || bad "deb: missing /usr/$f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libstdc++6; do
  grep -q "$lib" <<<"$depends" || bad "deb: Depends lacks $lib ($depends)"
done
dpkg-deb -x "$deb" "$tmp/deb"
for prog in "${programs[@]}"; do
  file -b "$tmp/deb/usr/bin/$prog" | grep -q 'not stripped' && bad "deb: $prog not stripped"
done

# lintian's own verdict; a clean package prints no tags at all at these levels.
rc=0
out=$(lintian --fail-on error,warning "$deb" 2>&1) || rc=$?
grep -E '^[EW]: ' <<<"$out" && bad "lintian: errors or warnings"
[ $rc -eq 0 ] || bad "lintian failed ($rc): $out"

if [ $fail -eq 0 ]; then
  echo "install and package: 1 passed, 0 failed"
else
  echo "install and package: 0 passed, 1 failed"
  exit 1
fi
