#!/usr/bin/env bash
# End-to-end test of the trovik window in a real X server: Xvfb with the openbox window manager,
# driven by xdotool. Checks that the greeting comes alone before the window, that the window then
# appears centred, that a drag by the background dropped near an edge snaps flush with it, that the
# "-" hot-spot minimises the window and that the "X" hot-spot ends the program with status 0.
#
# Usage: window_e2e.sh PATH/TO/trovik
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

readonly binary=${1:?usage: window_e2e.sh PATH/TO/trovik}
readonly title='trovik by -zelvo-'
readonly screen_width=800 screen_height=600
readonly window_width=265 window_height=220

for tool in Xvfb openbox xdotool xwininfo xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid='' openbox_pid='' trovik_pid=''

stop() {
    local pid
    for pid in "$trovik_pid" "$openbox_pid" "$xvfb_pid"; do
        if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
        fi
    done
    rm -rf "$work"
}
trap stop EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "FAIL: $*" >&2
    if [[ -s $work/trovik.log ]]; then
        echo "--- trovik's output:" >&2
        cat "$work/trovik.log" >&2
    fi
    exit 1
}

# Runs "$@" every tenth of a second until it succeeds, for at most $1 seconds.
within() {
    local seconds=$1 tries
    shift
    for ((tries = seconds * 10; tries > 0; tries--)); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# --- the X server and the window manager --------------------------------------------------------

mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp \
    3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=$(timeout 15 head -n 1 "$work/displayfd") || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$display"
unset WAYLAND_DISPLAY
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$work/runtime"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
openbox_pid=$!
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
within 15 wm_ready || fail "openbox did not start: $(cat "$work/openbox.log")"

# --- looking at the program's windows -----------------------------------------------------------

# The program's top-level windows: its boxes (the first type a window names is the one it asks
# for, DIALOG for a box) and the others, of which the main window is the one.
titled_windows() { xdotool search --name "^${title}\$" 2>/dev/null; }
is_box() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '= _NET_WM_WINDOW_TYPE_DIALOG'; }
boxes() {
    local id
    for id in $(titled_windows); do
        if is_box "$id"; then
            echo "$id"
        fi
    done
}
main_windows() {
    local id
    for id in $(titled_windows); do
        if ! is_box "$id"; then
            echo "$id"
        fi
    done
}
map_state() { xwininfo -id "$1" 2>/dev/null | awk '/Map State:/ { print $3 }'; }
is_viewable() { [[ $(map_state "$1") == IsViewable ]]; }
# "x y" of the window's top-left corner on the screen.
position() {
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
                             END { print x, y }'
}
size() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }'; }
is_at() { [[ $(position "$1") == "$2 $3" ]]; }
is_iconic() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Iconic'; }

viewable_greeting() {
    local id
    for id in $(boxes); do
        if is_viewable "$id"; then
            greeting=$id
            return 0
        fi
    done
    return 1
}
viewable_main_window() {
    local id
    for id in $(main_windows); do
        if is_viewable "$id"; then
            main_window=$id
            return 0
        fi
    done
    return 1
}

# Presses at (x, y) inside the main window with a button, moves the pointer in steps by (dx, dy),
# and releases there.
drag_by() {
    local x=$1 y=$2 dx=$3 dy=$4 button=$5 step
    read -r left top < <(position "$main_window")
    xdotool mousemove --sync $((left + x)) $((top + y)) mousedown "$button"
    for step in 1 2 3 4 5; do
        xdotool mousemove $((left + x + dx * step / 5)) $((top + y + dy * step / 5))
        sleep 0.05
    done
    xdotool mouseup "$button"
}

# Presses a button on the point (x, y) of the main window and lets it go.
click_at() {
    local x=$1 y=$2 button=$3
    read -r left top < <(position "$main_window")
    xdotool mousemove --sync $((left + x)) $((top + y)) click "$button"
}

# --- the test -----------------------------------------------------------------------------------

# Under LeakSanitizer, leaks inside the system libraries are passed over.
export LSAN_OPTIONS="suppressions=$(dirname "$(readlink -f "$0")")/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
mkdir "$work/folder"
(cd "$work/folder" && exec env QT_QPA_PLATFORM=xcb "$binary") >"$work/trovik.log" 2>&1 &
trovik_pid=$!

greeting=''
within 20 viewable_greeting || fail "the greeting did not appear"
for id in $(main_windows); do
    [[ $(map_state "$id") == IsUnMapped ]] || fail "the main window is $(map_state "$id") under the greeting"
done
echo "ok: the greeting is up and the main window is not mapped"

timeout 10 xdotool windowactivate --sync "$greeting" || fail "could not activate the greeting"
xdotool key --clearmodifiers Return
main_window=''
within 10 viewable_main_window || fail "the main window did not appear after the greeting"
viewable_greeting && fail "the greeting is still up"
[[ $(size "$main_window") == "$window_width $window_height" ]] ||
    fail "the main window is $(size "$main_window"), not $window_width by $window_height"
read -r left top < <(position "$main_window")
centre_left=$(((screen_width - window_width) / 2)) centre_top=$(((screen_height - window_height) / 2))
if ((left < centre_left || left > centre_left + 1 || top != centre_top)); then
    fail "the main window is at $left,$top, not centred at $centre_left,$centre_top"
fi
echo "ok: the main window appears centred at $left,$top"

# A press on the title strip, clear of the hot-spots, dragged to 5 pixels from the left edge.
drag_by 130 12 $((5 - left)) 0 1
within 5 is_at "$main_window" 0 "$top" ||
    fail "dropped 5 pixels from the left edge, the window is at $(position "$main_window"), not 0 $top"
echo "ok: dropped 5 pixels from the left edge, the window is flush with it"

# With the right button, from the background left of the lists, to 5 pixels short of the bottom
# right corner: flush with both far edges.
read -r left top < <(position "$main_window")
drag_by 5 100 $((screen_width - window_width - 5 - left)) $((screen_height - window_height - 2 - top)) 3
within 5 is_at "$main_window" $((screen_width - window_width)) $((screen_height - window_height)) ||
    fail "dropped near the bottom right corner, the window is at $(position "$main_window")"
echo "ok: dropped near the bottom right corner with the right button, the window is flush with it"

# Placed 10 pixels from the left edge by the window manager, where a snap would move it.
timeout 10 xdotool windowmove --sync "$main_window" 10 100
within 5 is_at "$main_window" 10 100 || fail "could not place the window at 10,100"
click_at 242 11 1
within 5 is_iconic "$main_window" || fail "a press on \"-\" did not minimise the window"
echo "ok: a press on \"-\" minimises the window"
timeout 10 xdotool windowactivate --sync "$main_window" || fail "could not restore the window"
within 5 is_viewable "$main_window" || fail "the window did not come back"
within 5 is_at "$main_window" 10 100 ||
    fail "the press on \"-\" moved the window to $(position "$main_window")"
echo "ok: the press on \"-\" neither dragged nor snapped the window"

click_at 253 11 3
program_running() { kill -0 "$trovik_pid" 2>/dev/null; }
program_ended() { ! program_running; }
within 5 program_ended || fail "a press on \"X\" did not end the program"
wait "$trovik_pid"
status=$?
trovik_pid=''
((status == 0)) || fail "the program ended with status $status after a press on \"X\""
echo "ok: a press on \"X\" with the right button ends the program with status 0"
echo "passed"
