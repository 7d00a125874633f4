#!/bin/sh
# Starts the real program on a virtual X server (run under xvfb-run) and drives it with the
# keyboard as a person would: each case must end with exit status 0.
#   ProgramUnderX.sh <brindle> <case>
# Cases: escape, enter (the main dialog closed either way), arguments (command-line mode:
# the three message boxes for two arguments, then the dialog closed with OK).
set -u
program=$1
case=$2
. "$(dirname "$0")/XWindows.sh"

press() {
    xdotool windowfocus --sync "$1" && xdotool key "$2"
}

case $case in
    escape | enter)
        "$program" &
        pid=$!
        window=$(wait_for_window Brindle) || { kill $pid; exit 1; }
        [ "$case" = escape ] && press "$window" Escape || press "$window" Return
        ;;
    arguments)
        "$program" "first*one" "second" &
        pid=$!
        for box in 1 2 3; do
            window=$(wait_for_window Brindle) || { kill $pid; exit 1; }
            press "$window" Return
        done
        window=$(wait_for_window Dialog) || { kill $pid; exit 1; }
        press "$window" Return
        ;;
    *)
        echo "unknown case $case" >&2
        exit 2
        ;;
esac
ended_well $pid || exit 1
