#!/bin/sh
# The real program started as file managers start it, on a virtual X server (run under
# xvfb-run): a portable copy whose Brindle.ini converts to "Upper Letter", run through the
# menu entry's action line ("brindle --preview %F", the program found on PATH) and through
# the Nautilus script that its --install-file-manager-actions writes (the names relative to
# the folder the script runs in). Each must open the Preview over exactly the two files.
#   PreviewCopyUnderX.sh <brindle> <scratch folder>
set -u
program=$1
work=$2
here=$(dirname "$0")

fail() {
    echo "PreviewCopyUnderX: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work/copy" "$work/home" || fail "cannot make $work"
cp "$program" "$(dirname "$program")/libKelvaneU.so" "$work/copy/" || fail "cannot copy the program"
printf '[config]\nCase = Upper\nShow Log Window = 0\nWrite Log File = 0\nPreview First = 0\n' \
    >"$work/copy/Brindle.ini" || fail "cannot write Brindle.ini"
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_STATE_HOME XDG_CONFIG_DIRS XDG_DATA_HOME

PATH="$work/copy:$PATH" sh "$here/PreviewUnderX.sh" "brindle --preview %F" single || exit 1

"$work/copy/brindle" --install-file-manager-actions || fail "the actions were not written"
sh "$here/PreviewUnderX.sh" "$HOME/.local/share/nautilus/scripts/Rename with Brindle" arguments ||
    exit 1
rm -rf "$work"
