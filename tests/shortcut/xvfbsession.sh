#!/bin/sh
# Runs a command inside a private X session: Xvfb on a free display with
# openbox as its window manager. Both are stopped on the way out.
set -eu

workdir=$(mktemp -d)
xvfb_pid=
wm_pid=

cleanup() {
    [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# await NAME PID CONDITION: polls CONDITION until it holds, for ten seconds at
# most and only while NAME (process PID) runs; NAME's log says why it failed.
await() {
    tries=0
    until eval "$3"; do
        tries=$((tries + 1))
        if [ "$tries" -gt 200 ] || ! kill -0 "$2" 2>/dev/null; then
            echo "$1 did not start:" >&2
            cat "$workdir/$1.log" >&2
            exit 1
        fi
        sleep 0.05
    done
}

# Xvfb picks a free display number and writes it once it accepts clients.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$workdir/display" 2>"$workdir/Xvfb.log" &
xvfb_pid=$!
await Xvfb "$xvfb_pid" '[ -s "$workdir/display" ]'
DISPLAY=":$(head -n 1 "$workdir/display")"
export DISPLAY
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
export QT_QPA_PLATFORM=xcb

openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
wm_pid=$!
await openbox "$wm_pid" 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'

"$@"
