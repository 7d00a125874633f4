#!/bin/sh
# Runs a file manager's action line as that file manager would, over two files of a new
# folder (one name with a space) on a virtual X server (run under xvfb-run), and checks
# that the Preview it opens plans exactly those two: its "Rename" (Alt+R, pressed until
# the plan is made) must rename them and not their sibling. The configuration in force
# must convert to "Upper Letter" and keep the Output Log closed. The main dialog is then
# closed with Escape, and the program must end with status 0.
#   PreviewUnderX.sh <action line> <how>
# <how> says how %F becomes the two paths: "single" (each path a word of its own, as the
# desktop entries' %F and Thunar's quoting give), "double" (each in double quotes, Nemo's
# Quote=double), or "arguments" (the line is a program run in the folder with the two
# names as its arguments, as Nautilus runs its scripts).
set -u
line=$1
how=$2
. "$(dirname "$0")/XWindows.sh"

fail() {
    echo "PreviewUnderX: $*" >&2
    exit 1
}

folder=$(mktemp -d) || fail "cannot make a folder"
trap 'rm -rf "$folder"' EXIT
for name in "one file.txt" "two.txt" "three.txt"; do
    echo "$name" >"$folder/$name" || fail "cannot make $folder/$name"
done
case $how in
    single) command=$(printf '%s\n' "$line" | sed "s|%F|'$folder/one file.txt' '$folder/two.txt'|") ;;
    double) command=$(printf '%s\n' "$line" | sed "s|%F|\"$folder/one file.txt\" \"$folder/two.txt\"|") ;;
    arguments) command="cd '$folder' && '$line' 'one file.txt' 'two.txt'" ;;
    *) fail "unknown way $how" ;;
esac
echo "running: $command"
sh -c "$command" &
pid=$!

preview=$(wait_for_window Preview) || { kill $pid; exit 1; }
tries=0
until [ -e "$folder/ONE FILE.TXT" ] && [ -e "$folder/TWO.TXT" ]; do
    tries=$((tries + 1))
    [ $tries -le 300 ] || { kill $pid; fail "the Preview's Rename did not rename the two files"; }
    # "Rename" waits for the plan: a press before it is made does nothing.
    xdotool windowfocus --sync "$preview" 2>/dev/null && xdotool key alt+r
    sleep 0.1
done
listing=$(cd "$folder" && ls -1 | tr '\n' '/')
[ "$listing" = "ONE FILE.TXT/TWO.TXT/three.txt/" ] || { kill $pid; fail "the folder holds: $listing"; }

window=$(wait_for_window Brindle) || { kill $pid; exit 1; }
# Pressed until the program ends, for at most about 30 seconds. A press of "Rename" still
# queued when the files were renamed asks, over the plan now out of date, whether to rename
# the rest: Escape first answers whatever window has the focus ("No"), then closes the
# main dialog. A key sent while the dialog is still taking the focus may be lost.
tries=0
while kill -0 $pid 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -le 300 ] || { kill $pid; fail "Escape did not end the program"; }
    xdotool key Escape
    xdotool windowfocus "$window" 2>/dev/null && xdotool key Escape
    sleep 0.1
done
ended_well $pid || exit 1
echo "the Preview renamed exactly the two files"
