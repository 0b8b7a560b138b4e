#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds the Debian packages
# (quillmere-tools: the programs; quillmere: the window), then checks what
# they lay out: programs, desktop entry, MIME type, icons, AppStream
# metadata, manual pages and the Debian documents; that file managers would
# recognise the fonts; that each package installs on a system with nothing
# installed, the tools without any Qt package; and that lintian and
# appstreamcli accept the packages and the metadata without errors or
# warnings.
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
programs=(quillmere sft2bmp bmp2sft ttf2sft sftcheck)
# What each package holds.
viewer=(
  share/applications/quillmere.desktop
  share/mime/packages/quillmere.xml
  "$metainfo"
  share/icons/hicolor/scalable/apps/quillmere.svg
  share/doc/quillmere/copyright
  share/doc/quillmere/changelog.gz
  bin/quillmere share/man/man1/quillmere.1.gz
)
for s in "${sizes[@]}"; do viewer+=("share/icons/hicolor/${s}x${s}/apps/quillmere.png"); done
tools=(share/doc/quillmere-tools/copyright share/doc/quillmere-tools/changelog.gz)
for p in "${programs[@]:1}"; do tools+=("bin/$p" "share/man/man1/$p.1.gz"); done
expected=("${viewer[@]}" "${tools[@]}")
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
for doc in quillmere quillmere-tools; do
  copyright="$prefix/share/doc/$doc/copyright"
  grep -q 'MIT' "$copyright" || grep -q 'Expat' "$copyright" || bad "copyright: no licence"
  head -1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || bad "copyright: not in the machine-readable format"
done

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
debs=("$tmp"/*.deb)
[ ${#debs[@]} -eq 2 ] || bad "deb: ${#debs[@]} packages made, not 2"
for pkg in quillmere quillmere-tools; do
  deb=$(ls "$tmp/${pkg}"_*.deb 2>/dev/null) || { bad "deb: no $pkg package"; continue; }
  [ "$(dpkg-deb -f "$deb" Package)" = "$pkg" ] || bad "deb: $deb is not $pkg"
  if [ "$pkg" = quillmere ]; then want=("${viewer[@]}"); else want=("${tools[@]}"); fi
  listing=$(dpkg-deb -c "$deb")
  for f in "${want[@]}"; do
    grep -q "\./usr/$f\$" <<<"$listing" || bad "deb $pkg: missing /usr/$f"
  done
  [ "$(grep -c '^-' <<<"$listing")" -eq ${#want[@]} ] || bad "deb $pkg: files beyond its own"
  depends=$(dpkg-deb -f "$deb" Depends)
  grep -q libstdc++6 <<<"$depends" || bad "deb $pkg: Depends lacks libstdc++6 ($depends)"
  if [ "$pkg" = quillmere ]; then
    grep -q libqt6widgets6 <<<"$depends" || bad "deb $pkg: Depends lacks libqt6widgets6 ($depends)"
    grep -q 'quillmere-tools (= ' <<<"$depends" || bad "deb $pkg: Depends lacks quillmere-tools ($depends)"
  fi
  dpkg-deb -x "$deb" "$tmp/deb"
  # lintian's own verdict; a clean package prints no tags at all at these levels.
  rc=0
  out=$(lintian --fail-on error,warning "$deb" 2>&1) || rc=$?
  grep -E '^[EW]: ' <<<"$out" && bad "lintian $pkg: errors or warnings"
  [ $rc -eq 0 ] || bad "lintian $pkg failed ($rc): $out"
done
for prog in "${programs[@]}"; do
  file -b "$tmp/deb/usr/bin/$prog" | grep -q 'not stripped' && bad "deb: $prog not stripped"
done
for prog in "${programs[@]:1}"; do
  ldd "$tmp/deb/usr/bin/$prog" | grep -qi qt && bad "deb: $prog links Qt"
done

# Installed on a system with nothing installed yet (apt's simulation over an
# empty package status): both packages go in, and the tools bring no Qt.
if [ -d /var/lib/apt/lists ] && ls /var/lib/apt/lists/*Packages* >/dev/null 2>&1; then
  : >"$tmp/status"
  simulate() {
    apt-get -s -o Dir::State::status="$tmp/status" -o Debug::NoLocking=1 install "$@" 2>&1
  }
  tools_deb=$(ls "$tmp"/quillmere-tools_*.deb)
  viewer_deb=$(ls "$tmp"/quillmere_*.deb)
  out=$(simulate "$tools_deb") || bad "apt: quillmere-tools does not install: $out"
  grep -q '^Inst quillmere-tools ' <<<"$out" || bad "apt: quillmere-tools not installed: $out"
  grep -E '^Inst [^ ]*qt' <<<"$out" && bad "apt: quillmere-tools pulls in Qt"
  out=$(simulate "$tools_deb" "$viewer_deb") || bad "apt: quillmere does not install: $out"
  grep -q '^Inst quillmere ' <<<"$out" || bad "apt: quillmere not installed: $out"
else
  bad "apt: no package lists to simulate the install against (run apt-get update)"
fi

if [ $fail -eq 0 ]; then
  echo "install and package: 1 passed, 0 failed"
else
  echo "install and package: 0 passed, 1 failed"
  exit 1
fi
