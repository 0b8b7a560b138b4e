#!/usr/bin/env bash
# Recovery and files changed elsewhere, in the real viewer in a private X
# server: a pixel drawn, the program killed with SIGKILL, started again:
# Recover, Undo to the bytes opened, Redo, Save. The file then changed by
# another program: the question, Reload, Undo. Killed again and started with
# the font: recovered into that window. Last, a recovery folder that can't be
# written: the message, and drawing and saving go on.
#   e2e_recovery.sh <quillmere>
set -euo pipefail
app=$(realpath "$1")
samples=$(cd "$(dirname "$0")/../../samples" && pwd)

tmp=$(mktemp -d /tmp/quill-e2e-XXXXXX)
# Settings and journals live in the run's folder, never the user's.
export XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" XDG_RUNTIME_DIR="$tmp/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
recovery="$XDG_DATA_HOME/quillmere/Quillmere/recovery"
source "$(dirname "$0")/xsession.sh"

windows_named() { [ "$(window_named "$1" | wc -l)" -ge "$2" ]; }
# Keys to the main window, or to the box in front of it.
keys() {
    timeout 3 xdotool windowactivate --sync "$main_wid" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers "$@"
}
answer_box() {  # title, count of windows so named while it shows, key
    wait_for 20 windows_named "$1" "$2" || fail "no box \"$1\""
    local box
    box=$(window_named "$1" | grep -v "^$main_wid\$" | tail -n1)
    timeout 3 xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
    xdotool key "$3"
    wait_for 10 sh -c "! xdotool search --onlyvisible --name . | grep -qx $box" || fail "box \"$1\" stayed"
}
start() {
    (cd "$work" && QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= exec "$app" "$@") >"$tmp/app.log" 2>&1 &
    app_pid=$!
    wait_for 20 window_named "${title:-Quillmere}" || fail "main window did not appear"
    main_wid=$(window_named "${title:-Quillmere}" | head -n1)
}

start_x

# A 16-bit font 8 x 4 whose first pixel alone is pure green (0x07E0), to be
# found on the screen; pixel 3, 0 is to be drawn white (0xFFFF).
work="$tmp/work"
mkdir -p "$work"
cp "$samples/uicolormap.cmp" "$work/"
font() {
    printf 'SFNT%016d\x01\x00\x00\x00%016d' 0 0
    printf 'A\x00A\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    head -c 36 /dev/zero; printf '\x10\x00\x00\x00'; head -c 88 /dev/zero
    printf '\x08\x00\x00\x00\x04\x00\x00\x00\xe0\x07'
    for i in $(seq 31); do if [ "$i" = 3 ] && [ "$1" = drawn ]; then printf '\xff\xff'; else printf "\\x00\\x$2"; fi; done
}
font opened f8 >"$tmp/opened.sft"
font drawn f8 >"$tmp/drawn.sft"
font opened 40 >"$tmp/other.sft"
cp "$tmp/opened.sft" "$work/f.sft"

draw() {  # clicks strip pixel 3, 0 with the pen on, until the caption shows the change
    import -window root "$tmp/shot.png" 2>/dev/null
    convert "$tmp/shot.png" txt:"$tmp/shot.txt"
    local xy
    xy=$(grep -m1 '#00FC00' "$tmp/shot.txt" | cut -d: -f1) || fail "the font's green pixel is not on the screen"
    keys alt+g
    sleep 0.3
    xdotool key d
    sleep 0.5
    xdotool mousemove $((${xy%,*} + 3)) "${xy#*,}" click 1
    wait_for 10 window_named "Quillmere : $work/f.sft*" || fail "the click changed nothing"
}

title="Quillmere : $work/f.sft"
start f.sft
sleep 1
draw
step "drawn"
ls "$recovery"/*.journal >/dev/null || fail "no journal while a change is unsaved"
kill -KILL "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""
cmp "$tmp/opened.sft" "$work/f.sft" || fail "the file changed without a save"

# Started again: the question, in front of the empty window; Enter recovers.
title="" start
answer_box Quillmere 2 Return
wait_for 10 window_named "Quillmere : $work/f.sft*" || fail "the font was not recovered with its mark"
step "recovered"
keys ctrl+z
wait_for 10 window_named "Quillmere : $work/f.sft" || fail "Undo did not go back to the file opened"
keys ctrl+s
sleep 1
cmp "$tmp/opened.sft" "$work/f.sft" || fail "undone and saved: not the bytes opened"
keys ctrl+shift+z
wait_for 10 window_named "Quillmere : $work/f.sft*" || fail "Redo did not come back"
keys ctrl+s
wait_for 10 cmp -s "$tmp/drawn.sft" "$work/f.sft" || fail "saved: not the bytes drawn"
step "undone, redone and saved"

# Another program replaces the file: asked; Enter reloads, Undo brings mine back.
cp "$tmp/other.sft" "$work/f.sft.new" && mv "$work/f.sft.new" "$work/f.sft"
answer_box Quillmere 1 Return
wait_for 10 window_named "Quillmere : $work/f.sft" || fail "Reload left the font marked changed"
step "reloaded"
keys ctrl+z
wait_for 10 window_named "Quillmere : $work/f.sft*" || fail "Undo after Reload: no change"
keys ctrl+s
wait_for 10 cmp -s "$tmp/drawn.sft" "$work/f.sft" || fail "Undo after Reload did not bring back mine"
step "reload undone"

# Killed again with a change, and started with the font: recovered into this
# window, not into a second one beside it.
keys ctrl+shift+z
wait_for 10 window_named "Quillmere : $work/f.sft*" || fail "Redo of Reload: no change"
wait_for 10 sh -c "ls '$recovery'/*.journal" || fail "no journal for the redone Reload"
kill -KILL "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""
start f.sft
answer_box Quillmere 1 Return
wait_for 10 sh -c "xdotool getwindowname $main_wid | grep -qx 'Quillmere : $work/f.sft\*'" ||
    fail "the font started with was not recovered into its window"
sleep 2
[ "$(window_named "Quillmere : $work/f.sft*" | wc -l)" = 1 ] && ! window_named "Quillmere : $work/f.sft" >/dev/null ||
    fail "the font is open in two windows"
step "recovered into the window started with it"
keys ctrl+z
wait_for 10 window_named "Quillmere : $work/f.sft" || fail "Undo did not go back to the file saved"
keys ctrl+q
wait_for 10 sh -c "! kill -0 $app_pid" || fail "Ctrl+Q did not end the program"
wait "$app_pid" || fail "the program ended with an error"
app_pid=""
[ -z "$(ls "$recovery")" ] || fail "journals left after a normal exit: $(ls "$recovery")"

# A recovery folder that can't be made: said once, and drawing and saving go on.
rm -rf "$recovery" && touch "$recovery"
cp "$tmp/opened.sft" "$work/f.sft"
title="Quillmere : $work/f.sft" start f.sft
sleep 1
draw &
draw_pid=$!
answer_box Warning 1 Return
wait "$draw_pid" || fail "drawing stopped at the message"
keys ctrl+s
wait_for 10 cmp -s "$tmp/drawn.sft" "$work/f.sft" || fail "no save without a recovery folder"
step "no recovery folder"
keys ctrl+q
wait_for 10 sh -c "! kill -0 $app_pid" || fail "Ctrl+Q did not end the program"
app_pid=""
echo "PASS"
