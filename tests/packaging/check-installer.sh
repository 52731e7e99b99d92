#!/usr/bin/env bash
# The Windows installer under wine, in the test prefix ($WINEPREFIX), silent throughout:
#  1. /S /D=FOLDER installs the build's two programs and the uninstaller there, the Start menu
#     shortcut, the entry under installed programs and "Scan with trovik" on every file; the
#     installed trovik-scan.exe tells a stealer from a clean file.
#  2. The uninstaller, run as the registered QuietUninstallString (it copies itself away and
#     returns at once), leaves nothing: files, folder, shortcut, keys.
#  3. Without /D, it installs into the user's own programs folder; installed again elsewhere, the
#     first install is taken away.
#  4. Uninstalled in place (_?=FOLDER, which waits, and cannot remove itself), a file of the user's
#     in the folder stays, and with it the folder.
# Prints how long each install and uninstall took.
# Usage: check-installer.sh WINE_LOADER SETUP.exe VERSION SHIPPED_DIR (77: skipped)
#   SHIPPED_DIR holds the trovik.exe and trovik-scan.exe the installer was made from.
set -uo pipefail
readonly wine=$1 setup=$2 version=$3 shipped=$4
[[ -x $wine ]] || { echo "skipped: no wine loader ('$wine')"; exit 77; }
[[ -n ${WINEPREFIX:-} ]] || { echo "skipped: WINEPREFIX is not set (the windows test preset sets it)"; exit 77; }
# Keep wine from mirroring the Start menu and the file verbs into this machine's desktop menus.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"

readonly uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\trovik'
readonly star_key='HKCU\Software\Classes\*'
readonly verb_key="$star_key\\shell\\trovik"
root=$(mktemp -d "$WINEPREFIX/drive_c/trovik-installer.XXXXXX")
log=$root/wine.log
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
give_up() { echo "FAIL: $*"; [[ -s $log ]] && cat "$log"; exit 1; }

w() { "$wine" "$@" </dev/null 2>>"$log" | tr -d '\r'; }
to_unix() { w winepath -u "$1"; }
to_windows() { w winepath -w "$1"; }
has_key() { "$wine" reg query "$1" </dev/null >/dev/null 2>&1; }
# The values of KEY (not of its subkeys), one NAME=DATA a line; the default value is "(Default)".
values() {
    w reg query "$1" | sed -nE 's/^    ([^ ].*[^ ]|[^ ])    REG_[A-Z_]+    ?(.*)$/\1=\2/p'
}
value() { values "$1" | sed -n "s/^$2=//p"; }
now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }

local_appdata=$(w cmd /c echo %LOCALAPPDATA%)
appdata=$(w cmd /c echo %APPDATA%)
[[ $local_appdata == [A-Z]:\\* && $appdata == [A-Z]:\\* ]] ||
    give_up "no user folders in the prefix: '$local_appdata', '$appdata'"
default_dir="$local_appdata\\Programs\\trovik"
shortcut=$(to_unix "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\trovik.lnk")
has_key "$star_key" && star_before=true || star_before=false

cleanup() {
    "$wine" reg delete "$uninstall_key" /f </dev/null >/dev/null 2>&1
    "$wine" reg delete "$verb_key" /f </dev/null >/dev/null 2>&1
    $star_before || "$wine" reg delete "$star_key" /f </dev/null >/dev/null 2>&1
    rm -rf "$(to_unix "$default_dir")" "$root" "$shortcut"
}
trap cleanup EXIT
! has_key "$uninstall_key" && [[ ! -e $(to_unix "$default_dir") && ! -e $shortcut ]] ||
    give_up "trovik is installed in the prefix before the test"

install() { # [FOLDER]: a silent install, into FOLDER when given
    local start=$(now) status=0
    "$wine" "$setup" /S ${1:+"/D=$1"} </dev/null >>"$log" 2>&1 || status=$?
    echo "install${1:+ into $1}: $(seconds_since "$start") s"
    ((status == 0)) || give_up "the installer ended with status $status"
}

# Checks FOLDER (a Windows path) holds exactly what an install puts there, registered as such.
check_installed() {
    local dir=$1 unix=$(to_unix "$1") listing
    listing=$(cd "$unix" 2>/dev/null && LC_ALL=C ls | tr '\n' ' ')
    [[ $listing == "Uninstall.exe trovik-scan.exe trovik.exe " ]] || fail "$dir holds: $listing"
    for exe in trovik.exe trovik-scan.exe; do
        cmp -s "$unix/$exe" "$shipped/$exe" || fail "the installed $exe is not the build's"
    done

    [[ -s $shortcut ]] || fail "no Start menu shortcut at $shortcut"
    # A link keeps its target's path as text; the Windows path of the program is in it.
    tr -d '\0' <"$shortcut" 2>/dev/null | grep -qiF "$dir\\trovik.exe" ||
        fail "the shortcut does not lead to $dir\\trovik.exe"

    local expected name got
    expected=("DisplayName=trovik" "DisplayVersion=$version" "Publisher=The trovik developers"
        "DisplayIcon=$dir\\trovik.exe,0" "InstallLocation=$dir"
        "UninstallString=\"$dir\\Uninstall.exe\"" "QuietUninstallString=\"$dir\\Uninstall.exe\" /S"
        "NoModify=0x1" "NoRepair=0x1")
    got=$(values "$uninstall_key")
    for name in "${expected[@]}"; do
        grep -qxF "$name" <<<"$got" || fail "uninstall entry: expected $name, found: $(grep "^${name%%=*}=" <<<"$got")"
    done
    # EstimatedSize is in KiB: that of the three files.
    local size kib=$(($(cat "$unix"/*.exe | wc -c) / 1024))
    size=$(sed -n 's/^EstimatedSize=//p' <<<"$got")
    [[ $size =~ ^0x[0-9a-f]+$ ]] && ((size >= kib - 3 && size <= kib + 3)) ||
        fail "EstimatedSize is '$size', the files take $kib KiB"

    # Read again for a while before it counts as wrong: once, under load, a read of the entry
    # came back without its text while its command was there; the failure shows what reg saw.
    explorer_entry() {
        [[ $(value "$verb_key" '(Default)') == "Scan with trovik" &&
            $(value "$verb_key\\command" '(Default)') == "\"$dir\\trovik.exe\" \"%1\"" ]]
    }
    within 10 explorer_entry || fail "Explorer entry: $(w reg query "$verb_key" /s | tr '\n' '|')"
}

# What of an install is still registered, a line each, and nothing once it is all gone: the
# shortcut, the uninstall entry, the Explorer entry, and the keys above the entry unless they were
# there before.
registered() {
    [[ -e $shortcut ]] && echo "the shortcut $shortcut"
    has_key "$uninstall_key" && echo "the uninstall entry"
    has_key "$verb_key" && echo "the Explorer entry"
    has_key "$star_key\\shell" && echo "$star_key\\shell"
    $star_before || { has_key "$star_key" && echo "$star_key"; }
}
fail_if_registered() {
    local left=$(registered)
    [[ -z $left ]] || fail "left registered: ${left//$'\n'/; }"
}
# Runs COMMAND until it succeeds, for at most SECONDS.
within() {
    local deadline=$((SECONDS + $1))
    until "${@:2}"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

# 1. Into a folder of our choosing.
custom_dir="$(to_windows "$root")\\custom"
[[ $custom_dir == [A-Z]:\\* ]] || give_up "no Windows path for $root: '$custom_dir'"
custom=$(to_unix "$custom_dir")
install "$custom_dir"
check_installed "$custom_dir"

# The installed scanner runs from its folder (it is the build's, compared above, whose verdicts
# the other tests hold).
printf 'MZ.. SexStory ..' >"$root/stealer.exe"
path="${custom_dir%\\custom}\\stealer.exe"
output=$(cd "$root" && "$wine" "$custom/trovik-scan.exe" "$path" </dev/null 2>>"$log" | tr -d '\r')
status=$?  # the scanner's, through pipefail
[[ $output == "$path: PASSWORD STEALER" && $status == 1 ]] ||
    fail "installed trovik-scan.exe on stealer.exe: '$output', status $status"

# 2. Uninstalled as Windows does it, from the registered command; it carries on in a copy of
# itself after this returns.
start=$(now)
"$wine" "$custom/Uninstall.exe" /S </dev/null >>"$log" 2>&1 || fail "the uninstaller ended with status $?"
gone() { [[ ! -e $custom && -z $(registered) ]]; }
within 60 gone && echo "uninstall: $(seconds_since "$start") s"
[[ -e $custom ]] && fail "$custom_dir is left, with: $(ls -A "$custom" | tr '\n' ' ')"
fail_if_registered

# 3. Into the user's own programs folder when none is given; then elsewhere, which moves it.
install
check_installed "$default_dir"
install "$custom_dir"
check_installed "$custom_dir"
[[ ! -e $(to_unix "$default_dir") ]] || fail "the first install is left in $default_dir"

# 4. In place: the user's file stays, and so the folder; the rest goes.
echo 'mine' >"$custom/notes.txt"
start=$(now)
"$wine" "$custom/Uninstall.exe" /S "_?=$custom_dir" </dev/null >>"$log" 2>&1 ||
    fail "the uninstaller ended with status $?"
echo "uninstall in place: $(seconds_since "$start") s"
# A running program cannot delete itself (nor can it under wine): Uninstall.exe is left to us.
listing=$(LC_ALL=C ls -A "$custom" 2>/dev/null | tr '\n' ' ')
[[ $listing == "Uninstall.exe notes.txt " ]] ||
    fail "after uninstalling in place, $custom_dir holds: $listing"
fail_if_registered

((failures == 0)) || { cat "$log"; exit 1; }
