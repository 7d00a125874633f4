#!/bin/sh
# Starts the real program on a virtual X server (run under xvfb-run) and drives it with the
# keyboard as a person would: each case must end with exit status 0.
#   ProgramUnderX.sh <brindle> <case>
# Cases: escape, enter (the main dialog closed either way), arguments (command-line mode:
# the three message boxes for two arguments, then the dialog closed with OK).
set -u
program=$1
case=$2
used=""

# The id of a visible window with this exact name that has not been handled yet. Waits
# for it, for at most about 30 seconds.
next_window() {
    tries=0
    while [ $tries -lt 300 ]; do
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            case " $used " in
                *" $id "*) ;;
                *) used="$used $id"; echo "$id"; return 0 ;;
            esac
        done
        tries=$((tries + 1))
        sleep 0.1
    done
    echo "no window named '$1' appeared" >&2
    return 1
}

press() {
    xdotool windowfocus --sync "$1" && xdotool key "$2"
}

case $case in
    escape | enter)
        "$program" &
        pid=$!
        window=$(next_window Brindle) || { kill $pid; exit 1; }
        [ "$case" = escape ] && press "$window" Escape || press "$window" Return
        ;;
    arguments)
        "$program" "first*one" "second" &
        pid=$!
        for box in 1 2 3; do
            window=$(next_window Brindle) || { kill $pid; exit 1; }
            press "$window" Return
        done
        window=$(next_window Dialog) || { kill $pid; exit 1; }
        press "$window" Return
        ;;
    *)
        echo "unknown case $case" >&2
        exit 2
        ;;
esac
wait $pid
status=$?
if [ $status -ne 0 ]; then
    echo "the program ended with status $status" >&2
    exit 1
fi
