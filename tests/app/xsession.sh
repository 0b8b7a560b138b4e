# What the end-to-end scripts share: a private X server with a window manager,
# and the helpers that wait for and find windows. Sourced after $tmp is made;
# the script sets app_pid for the program it starts.
xvfb_pid="" wm_pid="" app_pid=""
cleanup() {
    for pid in $app_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
    for pid in $app_pid $wm_pid $xvfb_pid; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "windows:" >&2
    xdotool search --name . getwindowname %@ 2>/dev/null | sed 's/^/  /' >&2 || true
    [ -s "$tmp/app.log" ] && sed 's/^/  app: /' "$tmp/app.log" >&2
    [ -s "$tmp/wm.log" ] && sed 's/^/  wm: /' "$tmp/wm.log" >&2
    [ -s "$tmp/xvfb.log" ] && sed 's/^/  xvfb: /' "$tmp/xvfb.log" >&2
    exit 1
}

# Polls a command until it succeeds or the deadline (seconds) passes.
wait_for() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.1
    done
}

window_named() { xdotool search --onlyvisible --name "^$(printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g')\$"; }
step() { echo "[$SECONDS s] $*"; }

# A display of its own, Xvfb picking a free number and reporting it, and openbox.
# -noreset: the server must not restart when xdpyinfo, its first client, leaves.
start_x() {
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset 9>"$tmp/display" 2>"$tmp/xvfb.log" &
    xvfb_pid=$!
    wait_for 15 test -s "$tmp/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$tmp/display")"
    wait_for 15 xdpyinfo || fail "display $DISPLAY not reachable"
    openbox --sm-disable >"$tmp/wm.log" 2>&1 &
    wm_pid=$!
    wait_for 15 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "openbox did not start"
}
