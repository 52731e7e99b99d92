#!/bin/sh
# Started where no display can be reached, the window program says so in one line on standard
# error and exits with a non-zero status.
# Usage: no_display.sh PATH/TO/trovik
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" 2>&1 </dev/null)
status=$?
printf 'status %s, output:\n%s\n' "$status" "$out"
[ "$status" -ne 0 ] || exit 1
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || exit 1
case $out in
    "trovik: no display"*) exit 0 ;;
    *) exit 1 ;;
esac
