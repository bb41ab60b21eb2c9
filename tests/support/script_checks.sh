# What the tests written as shell scripts share, sourced by each (". FILE"): the tools they
# need, a folder of their own in the build folder, failures counted and told, and a virtual
# X server on a display nobody else uses. Sourcing it starts the count of failures at none.
failures=0

# Records a failed check and tells it; the test goes on, so one run names every fault.
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# Skips the test (exit status 77, which CTest counts as skipped) when a tool is missing.
needs() {
    for tool; do
        command -v "$tool" >/dev/null || { echo "needs $tool (scripts/install-deps)"; exit 77; }
    done
}

# Empties the folder, or makes it.
fresh_folder() {
    rm -rf "$1"
    mkdir -p "$1"
}

# Prints the first X display number from $1 on that no server holds or has locked.
free_display() {
    n=$1
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    echo "$n"
}

# Starts Xvfb with a screen of the size given (WIDTHxHEIGHTxDEPTH) on a free display from
# $1 on, exports DISPLAY for it and keeps its process id in $xvfb for the test to end it.
start_xvfb() {
    DISPLAY=":$(free_display "$1")"
    export DISPLAY
    Xvfb "$DISPLAY" -screen 0 "$2" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    sleep 2
}

# Ends the test: exit status 1 after any failure, else the line given.
finish() {
    [ "$failures" -eq 0 ] || exit 1
    echo "$*"
}
