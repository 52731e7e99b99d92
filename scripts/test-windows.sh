#!/usr/bin/env bash
# Builds trovik.exe, trovik-scan.exe and their tests for 64-bit and 32-bit Windows with MinGW-w64
# and runs the tests under wine: the 64-bit ones under wine64, the 32-bit ones under wine's 32-bit
# half (Debian's wine32, for which the i386 architecture is added). Installs the cross compilers
# and wine when they are missing. Extra arguments go to both configure steps (CI passes
# -DTROVIK_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo=()
    if ((EUID != 0)); then
        sudo=(sudo)
    fi
    "${sudo[@]}" dpkg --add-architecture i386
    "${sudo[@]}" apt-get update -qq
fi
scripts/install-deps.sh cmake ninja-build libcli11-dev nlohmann-json3-dev googletest python3-pil \
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 wine32 \
    xvfb openbox xdotool x11-utils

cmake --preset windows "$@"
cmake --build --preset windows
cmake --preset windows32 "$@"
cmake --build --preset windows32

# The same prefix and settings as the test presets: the server belongs to its prefix, and the one
# prefix runs the 64-bit and the 32-bit programs.
export WINEPREFIX="$PWD/build-windows/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
work=$(mktemp -d)
xvfb_pid='' openbox_pid=''
stop_all() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    kill $openbox_pid $xvfb_pid 2>/dev/null || true
    wait $openbox_pid $xvfb_pid 2>/dev/null || true
    rm -rf "$work"
}
trap stop_all EXIT

# The window's tests need an X server for wine to draw on: a headless one with a window manager,
# for the whole run, since the wine server and its desktop stay with the display they started on.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=$(timeout 15 head -n 1 "$work/displayfd") || {
    cat "$work/xvfb.log" >&2
    exit 1
}
export DISPLAY=":$display"
unset WAYLAND_DISPLAY
XDG_CONFIG_HOME=$work/config openbox --sm-disable >"$work/openbox.log" 2>&1 &
openbox_pid=$!
for ((tries = 150; tries > 0; tries--)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

# The wine server and the services the first wine program starts live on after it, holding its
# output open: started inside ctest, they keep ctest waiting for the end of that output forever.
# Start them here, detached from every output, and end them when the tests are done.
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot --init </dev/null >/dev/null 2>&1
# The first 32-bit program sets up wine's 32-bit half in the prefix, with the same lingering
# helpers: run one here too.
wine build-windows32/bin/trovik-scan.exe --version </dev/null >/dev/null 2>&1 || true

ctest --preset windows --timeout 300
ctest --preset windows32 --timeout 300
