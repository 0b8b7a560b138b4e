#!/usr/bin/env bash
# Drives the real viewer in a private X server with a window manager: opens a
# font through the open dialog by keyboard, exports it through the save
# dialog, compares the file with what the core builds, and exits. Then starts
# it with a font on the command line, from a folder without the palette: once
# with the palette beside the font, once with none anywhere.
#   e2e.sh <quillmere> <sft2bmp>
set -euo pipefail
app=$(realpath "$1")
sft2bmp=$(realpath "$2")
samples=$(cd "$(dirname "$0")/../../samples" && pwd)

tmp=$(mktemp -d /tmp/quill-e2e-XXXXXX)
# The viewer's settings live in the run's folder, never the user's.
export XDG_CONFIG_HOME="$tmp/config"
source "$(dirname "$0")/xsession.sh"

no_window_named() { ! window_named "$1"; }

# Opens a menu item by its keys until the window it opens shows up: a key
# pressed while a just-closed dialog still had the focus can get lost.
menu_until_window() {
    local item=$1 title=$2
    for _ in 1 2 3 4 5; do
        timeout 3 xdotool windowactivate --sync "$main_wid" >/dev/null 2>&1 || true
        xdotool key --clearmodifiers alt+f
        sleep 0.3
        xdotool key "$item"
        wait_for 4 window_named "$title" && return 0
        step "no $title yet, again"
        xdotool key Escape Escape
    done
    return 1
}

start_x

work="$tmp/work"
mkdir -p "$work/out"
cp "$samples/QUILL8.SFT" "$work/Main.sft"
cp "$samples/uicolormap.cmp" "$work/uicolormap.cmp"
# The converter writes the same bytes as Save as BMP.
(cd "$tmp" && "$sft2bmp" --cmp "$work/uicolormap.cmp" "$work/Main.sft" && mv Main.BMP expected.bmp)

export XDG_RUNTIME_DIR="$tmp/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
(cd "$work" && QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= exec "$app") >"$tmp/app.log" 2>&1 &
app_pid=$!
wait_for 20 window_named "Quillmere" || fail "main window did not appear"
main_wid=$(window_named "Quillmere" | head -n1)

step "main window up"
# Open SFT: Alt+F, O, the path, Enter.
menu_until_window o "Open SFT" || fail "Open SFT dialog did not open"
xdotool type --delay 15 "$work/Main.sft"
xdotool key Return
if ! wait_for 5 window_named "Quillmere : $work/Main.sft"; then
    xdotool key Return  # a completer popup may have taken the first Enter
    wait_for 10 window_named "Quillmere : $work/Main.sft" || fail "font not opened"
fi

step "font open"
# Save as BMP: the name typed without extension gets ".BMP".
menu_until_window s "Save BMP" || fail "Save BMP dialog did not open"
xdotool key ctrl+a
xdotool type --delay 15 "$work/out/exported"
xdotool key Return
if ! wait_for 5 test -s "$work/out/exported.BMP"; then
    xdotool key Return
    wait_for 10 test -s "$work/out/exported.BMP" || fail "no BMP written"
fi
wait_for 10 no_window_named "Save BMP" || fail "Save BMP dialog stayed open"
cmp "$tmp/expected.bmp" "$work/out/exported.BMP" || fail "exported BMP differs from the core's image"

step "exported"

# Exit by the menu; the program must end with status 0.
exit_app() {
    for _ in 1 2 3 4 5; do
        timeout 3 xdotool windowactivate --sync "$main_wid" >/dev/null 2>&1 || true
        xdotool key --clearmodifiers alt+f
        sleep 0.3
        xdotool key x
        wait_for 4 sh -c "! kill -0 $app_pid" && break
        xdotool key Escape Escape
    done
    kill -0 "$app_pid" 2>/dev/null && fail "Exit did not end the program"
    local status=0
    wait "$app_pid" || status=$?
    app_pid=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}
exit_app
[ -s "$XDG_CONFIG_HOME/quillmere/Quillmere.conf" ] || fail "the window's place was not kept"

# quillmere FONT from a folder without the palette; the font's folder has it.
mkdir -p "$tmp/elsewhere" "$work/game"
cp "$work/Main.sft" "$work/uicolormap.cmp" "$work/game/"
(cd "$tmp/elsewhere" && QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= exec "$app" ../work/game/./Main.sft) \
    >"$tmp/app.log" 2>&1 &
app_pid=$!
wait_for 20 window_named "Quillmere : $work/game/Main.sft" || fail "font from the command line not shown"
main_wid=$(window_named "Quillmere : $work/game/Main.sft" | head -n1)
step "started with a font"
menu_until_window s "Save BMP" || fail "Save BMP dialog did not open"
xdotool key ctrl+a
xdotool type --delay 15 "$work/out/started.BMP"
xdotool key Return
if ! wait_for 5 test -s "$work/out/started.BMP"; then
    xdotool key Return
    wait_for 10 test -s "$work/out/started.BMP" || fail "no BMP written"
fi
wait_for 10 no_window_named "Save BMP" || fail "Save BMP dialog stayed open"
cmp "$tmp/expected.bmp" "$work/out/started.BMP" || fail "BMP of the font from the command line differs"
exit_app

# Zoom by the keys, read off the screen: a 16-bit font whose first pixel alone
# is pure green (0x07E0) shows it as 1, then 2 x 2, then 1 screen pixel again.
green_pixels() {
    import -window root "$tmp/shot.png" 2>/dev/null
    convert "$tmp/shot.png" txt:- | grep -c '#00FC00' || true
}
green_is() { [ "$(green_pixels)" -eq "$1" ]; }
{
    printf 'SFNT%016d\x01\x00\x00\x00%016d' 0 0
    printf 'A\x00A\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    head -c 36 /dev/zero; printf '\x10\x00\x00\x00'; head -c 88 /dev/zero
    printf '\x08\x00\x00\x00\x04\x00\x00\x00\xe0\x07'
    for _ in $(seq 31); do printf '\x00\xf8'; done
} >"$work/game/zoom.sft"
cp "$work/uicolormap.cmp" "$work/game/"
(cd "$work/game" && QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= exec "$app" zoom.sft) >"$tmp/app.log" 2>&1 &
app_pid=$!
wait_for 20 window_named "Quillmere : $work/game/zoom.sft" || fail "zoom font not shown"
main_wid=$(window_named "Quillmere : $work/game/zoom.sft" | head -n1)
wait_for 10 green_is 1 || fail "the font's green pixel is not on the screen"
for keys_count in "ctrl+equal 4" "ctrl+0 1"; do
    set -- $keys_count
    timeout 3 xdotool windowactivate --sync "$main_wid" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers "$1"
    wait_for 10 green_is "$2" || fail "after $1: $(green_pixels) green pixels, not $2"
done
step "zoomed by the keys"

# Glyph > Draw, a click on the strip's pixel 3, 0 paints it white (0xFFFF);
# Ctrl+Z takes it back, and Exit then has nothing to ask. The colour panel
# shows white too, so the pixels are counted against those before.
colour_pixels() {
    import -window root "$tmp/shot.png" 2>/dev/null
    convert "$tmp/shot.png" txt:- | grep -c "$1" || true
}
convert "$tmp/shot.png" txt:"$tmp/shot.txt"
xy=$(grep -m1 '#00FC00' "$tmp/shot.txt" | cut -d: -f1)
timeout 3 xdotool windowactivate --sync "$main_wid" >/dev/null 2>&1 || true
xdotool key --clearmodifiers alt+g
sleep 0.3
xdotool key d
sleep 1
white=$(colour_pixels '#F8FCF8')
xdotool mousemove $((${xy%,*} + 3)) "${xy#*,}" click 1
white_is() { [ "$(colour_pixels '#F8FCF8')" -eq "$1" ]; }
wait_for 10 white_is $((white + 1)) || fail "the click painted $(($(colour_pixels '#F8FCF8') - white)) pixels white, not 1"
timeout 3 xdotool windowactivate --sync "$main_wid" >/dev/null 2>&1 || true
xdotool key --clearmodifiers ctrl+z
wait_for 10 white_is "$white" || fail "Undo left $(($(colour_pixels '#F8FCF8') - white)) pixels white"
step "drawn and undone"
exit_app

# No palette in either folder: the error box, then the end with status 0.
rm "$work/game/uicolormap.cmp"
(cd "$tmp/elsewhere" && QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= exec "$app" "$work/game/Main.sft") \
    >"$tmp/app.log" 2>&1 &
app_pid=$!
wait_for 20 window_named "Error" || fail "no error box for the missing palette"
timeout 3 xdotool windowactivate --sync "$(window_named "Error" | head -n1)" >/dev/null 2>&1 || true
xdotool key Return
wait_for 10 sh -c "! kill -0 $app_pid" || fail "the program went on without a palette"
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status without a palette"
echo "PASS"
