#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it with dpkg, runs the installed
# trovik-scan, and removes the package again.
# Usage: check-package.sh BUILD_DIR
set -euo pipefail

build=$1
(cd "$build" && cpack >/dev/null)
deb=$(ls "$build"/package/trovik_*.deb)
echo "package: $deb"
dpkg-deb --field "$deb" Depends

lintian --fail-on error --allow-root "$deb"

sudo=()
if ((EUID != 0)); then
    sudo=(sudo)
fi
"${sudo[@]}" dpkg -i "$deb"
trap '"${sudo[@]}" dpkg -r trovik >/dev/null' EXIT
/usr/bin/trovik-scan --version
man -w trovik-scan
