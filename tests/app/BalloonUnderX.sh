#!/bin/sh
# The real program's context help on a virtual X server, where window shapes are real: a
# right-click on the name pattern box opens a balloon window of a balloon's shape with its
# tip on the cursor, a move of the mouse closes it, and Escape then ends the program with
# status 0.
#   BalloonUnderX.sh <brindle> <BalloonShapeProbe>
# Exits with 77 (skipped) when a tool it needs is missing. It starts its own server through
# xvfb-run and runs again inside it.
set -u
program=$1
probe=$2

if [ "${3:-}" != inside ]; then
    for tool in xvfb-run xauth xdotool xwininfo; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "$tool is missing: skipped"
            exit 77
        fi
    done
    if [ ! -x "$probe" ]; then
        echo "the shape probe was not built (no X11 headers): skipped"
        exit 77
    fi
    exec xvfb-run -a -n 170 sh "$0" "$program" "$probe" inside
fi

. "$(dirname "$0")/XWindows.sh"

fail() {
    echo "$1" >&2
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    exit 1
}

"$program" &
pid=$!
dialog=$(wait_for_window Brindle) || fail "the main dialog did not show"

# Without a window manager the window is the dialog's client area, 250 x 215 dialog units
# (the design's 202 and the result line below the buttons):
# the centre of the name pattern box (60, 92, 98 x 12 units) follows from its size.
eval "$(xdotool getwindowgeometry --shell "$dialog")"
x=$(((60 + 98 / 2) * WIDTH / 250))
y=$(((92 + 12 / 2) * HEIGHT / 215))
echo "dialog ${WIDTH}x${HEIGHT} at $X,$Y; right-click at $x,$y in it"
xdotool mousemove --sync --window "$dialog" "$x" "$y" || fail "the pointer did not move"
eval "$(xdotool getmouselocation --shell)"
anchor_x=$X
anchor_y=$Y

[ -z "$(windows_named 'Name pattern')" ] || fail "a balloon showed before the right-click"
xdotool click 3
balloon=$(wait_for_window 'Name pattern') || fail "the right-click opened no balloon"

# The window gets its shape before it is mapped; the tries only wait for the server.
tries=0
until report=$("$probe" "$balloon" "$anchor_x" "$anchor_y"); do
    tries=$((tries + 1))
    if [ $tries -ge 20 ]; then
        echo "$report"
        fail "the balloon window does not have a balloon's shape"
    fi
    sleep 0.1
done
echo "$report"

# Away from the cursor's start, within the dialog, whose moves the balloon watches; it
# closes after its short delay.
xdotool mousemove --sync --window "$dialog" $((WIDTH - 5)) $((HEIGHT - 5)) ||
    fail "the pointer did not move away"
tries=0
while xwininfo -id "$balloon" 2>/dev/null | grep -q IsViewable; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] || fail "the balloon stayed after the mouse moved away"
    sleep 0.1
done
echo "the balloon closed after the mouse moved"

xdotool windowfocus --sync "$dialog" && xdotool key Escape || fail "Escape could not be sent"
ended_well "$pid" || exit 1
echo "the program ended with status 0"
