# What the end-to-end scripts share; sourced. The script sets $log, the file fail shows.

# TOOL...: skips the test (status 77) when one of them is not installed.
need() {
    for tool; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
}
fail() { echo "FAIL: $*" >&2; cat "$log" >&2 2>/dev/null; exit 1; }
# SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds, for at most SECONDS.
within() {
    local tries
    for ((tries = $1 * 10; tries > 0; tries--)); do
        "${@:2}" && return 0
        sleep 0.1
    done
    return 1
}
# WINDOW: its left, top, width and height on the screen.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
}
