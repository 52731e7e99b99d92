#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the tree a desktop user relies on: the
# programs, the launcher, the icons, the metainfo and the manual pages.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail

build=$1
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
root=$dest/usr
id=org.trovik.trovik
status=0
fail() { echo "$*"; status=1; }

expected=(
    bin/trovik bin/trovik-scan share/applications/$id.desktop share/metainfo/$id.metainfo.xml
    share/man/man1/trovik.1.gz share/man/man1/trovik-scan.1.gz
    share/bash-completion/completions/trovik-scan
    share/doc/trovik/copyright share/doc/trovik/changelog.gz
)
for file in "${expected[@]}"; do
    [[ -s $root/$file ]] || fail "missing: /usr/$file"
done
for size in 16 24 32 48 64 128 256; do
    icon=$root/share/icons/hicolor/${size}x${size}/apps/$id.png
    file "$icon" | grep -q "PNG image data, $size x $size" || fail "icon $size: $(file "$icon")"
done

desktop-file-validate "$root/share/applications/$id.desktop" || status=1
appstreamcli validate --no-net --pedantic "$root/share/metainfo/$id.metainfo.xml" || status=1
grep -qx "Comment=detects all pws's!  including the new winsock ones!" \
    "$root/share/applications/$id.desktop" || fail "launcher comment differs"

"$root/bin/trovik-scan" --version | grep -qx 'trovik-scan 1.01' || fail "version differs"
zcat "$root/share/man/man1/trovik-scan.1.gz" | man -l - >/dev/null 2>&1 ||
    fail "manual page does not format"

((status != 0)) || echo "install tree complete: ${#expected[@]} files"
exit $status
