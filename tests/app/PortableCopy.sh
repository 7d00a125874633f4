#!/bin/sh
# A portable copy made from an installed layout: the program and the credits library
# copied side by side into a folder of their own, nothing else. The copy's run path
# searches its own folder first; it starts on a virtual X server (run under xvfb-run) and
# ends with status 0 when closed with Escape. Without the library beside it, it ends with
# status 1 and says why on standard error.
#   PortableCopy.sh <cmake> <build folder> <scratch folder>
set -u
cmake=$1
build=$2
work=$3
. "$(dirname "$0")/XWindows.sh"

fail() {
    echo "PortableCopy: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work/copy" "$work/home" || fail "cannot make $work"
"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null || fail "install failed"
cp "$work/prefix/bin/brindle" "$work/prefix/lib/brindle/libKelvaneU.so" "$work/copy/" ||
    fail "cannot copy the installed program"
# Only what was copied can be found now.
rm -rf "$work/prefix"

readelf -d "$work/copy/brindle" | grep -q '(RPATH).*\[\$ORIGIN:\$ORIGIN/\.\./lib/brindle\]' ||
    fail "the run path does not begin with the program's own folder: $(readelf -d "$work/copy/brindle" | grep PATH)"

export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_STATE_HOME XDG_CONFIG_DIRS

"$work/copy/brindle" &
pid=$!
window=$(wait_for_window Brindle) || { kill $pid; exit 1; }
xdotool windowfocus --sync "$window" && xdotool key Escape
ended_well $pid || fail "the copy with its library did not end well"

rm "$work/copy/libKelvaneU.so"
"$work/copy/brindle" 2>"$work/err"
status=$?
[ $status -eq 1 ] || fail "without its library the copy ended with status $status, not 1"
first=$(head -n 1 "$work/err")
case $first in
    "brindle: "*libKelvaneU.so*) ;;
    *) fail "without its library the copy said: '$(cat "$work/err")'" ;;
esac
rm -rf "$work"
