#!/usr/bin/env bash
# Installs the Debian packages that building and testing trovik need, and only those missing.
# With arguments, installs those packages instead (where missing).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config python3 clang-format clang libclang-rt-14-dev
    libgtest-dev libbenchmark-dev libcli11-dev liburing-dev strace nlohmann-json3-dev
    qt6-base-dev fonts-liberation2
    xvfb openbox xdotool x11-utils
    desktop-file-utils appstream file man-db
)
if (($# > 0)); then
    packages=("$@")
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if ((EUID != 0)); then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
