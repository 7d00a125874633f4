#!/bin/sh
# Runs a command on a virtual X server of its own; exits with 77 (skipped) when there is
# no xvfb-run to start one.
#   UnderXvfb.sh <command> [arguments]
for tool in xvfb-run xauth; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is missing: skipped"
        exit 77
    fi
done
exec xvfb-run -a -n 180 "$@"
