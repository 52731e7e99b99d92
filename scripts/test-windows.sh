#!/usr/bin/env bash
# Builds trovik-scan and its tests for 64-bit Windows with MinGW-w64 and runs them under wine, then
# builds the 32-bit trovik-scan (compiled and linked only: running it needs a 32-bit wine).
# Installs the cross compilers and wine when they are missing. Extra arguments go to both
# configure steps (CI passes -DTROVIK_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh cmake ninja-build libcli11-dev googletest \
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64

cmake --preset windows "$@"
cmake --build --preset windows
cmake --preset windows32 "$@"
cmake --build --preset windows32

# The same prefix and settings as the test preset: the server belongs to its prefix.
export WINEPREFIX="$PWD/build-windows/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The wine server and the services the first wine program starts live on after it, holding its
# output open: started inside ctest, they keep ctest waiting for the end of that output forever.
# Start them here, detached from every output, and end them when the tests are done.
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
stop_wine() {
    wineserver -k || true
    wineserver -w || true
}
trap stop_wine EXIT
wine wineboot --init </dev/null >/dev/null 2>&1

ctest --preset windows --timeout 300
