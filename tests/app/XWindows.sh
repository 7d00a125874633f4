# Shell functions of the tests that drive the real program on a virtual X server, for
# them to source.

# The ids of the visible windows with this exact name.
windows_named() {
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null
}

# Waits, for at most about 30 seconds, for a visible window with this exact name.
wait_for_window() {
    tries=0
    while [ $tries -lt 300 ]; do
        id=$(windows_named "$1" | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        tries=$((tries + 1))
        sleep 0.1
    done
    echo "no window named '$1' appeared" >&2
    return 1
}

# Waits for the program started as process $1; fails unless it ended with status 0.
ended_well() {
    wait "$1"
    status=$?
    if [ $status -ne 0 ]; then
        echo "the program ended with status $status" >&2
        return 1
    fi
}
