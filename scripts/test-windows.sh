#!/usr/bin/env bash
# Builds trovik.exe, trovik-scan.exe, their tests and their installers for 64-bit and 32-bit
# Windows with MinGW-w64 and NSIS and runs the tests under wine, each suite through the loader its build chose (CMake's
# TROVIK_WINE): the 64-bit one under wine's 64-bit loader, the 32-bit one under wine's 32-bit half
# (Debian's wine32, for which the i386 architecture is added). Installs the cross compilers and
# wine and NSIS when they are missing.
#
# Where the kernel cannot run 32-bit programs, wine32 is neither installed nor used: the 32-bit
# programs, their installer and archive are still built, and checked without being run, but
# their suite is skipped, and one line says so.
#
# Usage: test-windows.sh [--plan] [CMAKE_ARGUMENTS...]
#   --plan  print the steps this machine would take, and do nothing
#   Other arguments go to both configure steps (CI passes -DTROVIK_WERROR=ON).
#   TROVIK_RUNS_32BIT=yes|no stands in for the probe; only this script's own test sets it.
set -euo pipefail
cd "$(dirname "$0")/.."

plan_only=false
if [[ ${1:-} == --plan ]]; then
    plan_only=true
    shift
fi

# A 32-bit x86 Linux program of 93 bytes that only exits with status 0: an ELF header, one
# loadable segment, and `mov eax, 1; xor ebx, ebx; int 0x80`. A kernel without 32-bit support
# refuses it with "Exec format error".
write_probe() {
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
    printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'
    printf '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00'
    printf '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
}

# Sets runs_32bit (true or false) and why_not, from the probe or its stand-in. The probe lives in
# this folder for a moment: a temporary folder may be mounted without the right to run programs.
probe_32bit() {
    case ${TROVIK_RUNS_32BIT:-} in
        yes) runs_32bit=true why_not='' && return ;;
        no) runs_32bit=false why_not='TROVIK_RUNS_32BIT=no' && return ;;
    esac
    local folder status=0
    folder=$(mktemp -d "$PWD/.probe-32bit.XXXXXX")
    write_probe >"$folder/probe"
    chmod +x "$folder/probe"
    why_not=$("$folder/probe" 2>&1) || status=$?
    rm -rf "$folder"
    runs_32bit=true
    if ((status != 0)); then
        runs_32bit=false
        why_not=${why_not##*: }  # the shell's message ends in the system's reason
        [[ -n $why_not ]] || why_not="the probe ended with status $status"
    fi
}

packages=(cmake ninja-build libcli11-dev nlohmann-json3-dev googletest python3-pil
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix nsis wine wine64 xvfb openbox xdotool x11-utils)

probe_32bit
if $runs_32bit; then
    packages+=(wine32)
    steps=("install: ${packages[*]} (with the i386 architecture)"
        "build: windows, windows32"
        "suite: windows, under its loader"
        "suite: windows32, under its loader")
else
    steps=("install: ${packages[*]}"
        "build: windows; windows32 (the programs and their installer)"
        "suite: windows, under its loader"
        "check: windows32 imports, version blocks and portable archive"
        "skip: the 32-bit suite (this machine cannot run 32-bit programs: $why_not)")
fi
if $plan_only; then
    printf '%s\n' "${steps[@]}"
    exit 0
fi

if $runs_32bit && ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo=()
    if ((EUID != 0)); then
        sudo=(sudo)
    fi
    "${sudo[@]}" dpkg --add-architecture i386
    "${sudo[@]}" apt-get update -qq
fi
scripts/install-deps.sh "${packages[@]}"

cmake --preset windows "$@"
cmake --build --preset windows
cmake --preset windows32 "$@"
if $runs_32bit; then
    cmake --build --preset windows32
else
    cmake --build --preset windows32 --target trovik trovik-scan trovik_windows_packages
fi

# The loader each build chose.
loader_of() { sed -n 's/^TROVIK_WINE:FILEPATH=//p' "$1/CMakeCache.txt"; }
wine64=$(loader_of build-windows)
wine32=$(loader_of build-windows32)
if [[ ! -x $wine64 ]]; then
    echo "test-windows: the 64-bit build found no wine loader ('$wine64')" >&2
    exit 1
fi
if $runs_32bit && [[ ! -x $wine32 ]]; then
    echo "test-windows: the 32-bit build found no wine loader ('$wine32'): is wine32 installed?" >&2
    exit 1
fi

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
"$wine64" wineboot --init </dev/null >/dev/null 2>&1
ctest --preset windows --timeout 300

if $runs_32bit; then
    # The first 32-bit program sets up wine's 32-bit half in the prefix, with the same lingering
    # helpers: run one here too.
    "$wine32" build-windows32/bin/trovik-scan.exe --version </dev/null >/dev/null 2>&1 || true
    ctest --preset windows32 --timeout 300
else
    ctest --preset windows32 --timeout 300 -R '^(ImportsOnlySystemDlls\.|VersionBlock\.|PortableArchive$)'
    echo "test-windows: the 32-bit suite was skipped: this machine cannot run 32-bit programs" \
        "($why_not); the 32-bit programs, installer and archive were built and checked without" \
        "being run"
fi
