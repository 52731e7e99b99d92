#!/usr/bin/env bash
# make test-windows on both kinds of machine, through its plan, with the probe stood in for:
# where 32-bit programs run, wine32 and both suites; where they do not, no wine32, the 64-bit
# suite, the 32-bit programs built and checked, and one line saying the 32-bit suite was skipped
# and why. Then the real probe, against the system's own 32-bit loader where one is installed.
# Usage: test-windows-plan.sh scripts/test-windows.sh
set -uo pipefail
readonly script=$1
status=0
fail() {
    echo "FAIL: $*"
    status=1
}
plan() { TROVIK_RUNS_32BIT=$1 "$script" --plan; }
# Fails unless the plan $1 holds each further argument as a whole line.
has_lines() { for line in "${@:2}"; do grep -qxF -- "$line" <<<"$1" || fail "no $line: $1"; done; }

runs=$(plan yes) || fail "the plan failed"
[[ $runs == *" wine32 (with the i386 architecture)"* ]] || fail "no wine32 where it runs: $runs"
has_lines "$runs" 'suite: windows, under its loader' 'suite: windows32, under its loader'
! grep -q '^skip:' <<<"$runs" || fail "skips where nothing needs skipping: $runs"

refused=$(plan no) || fail "the plan failed"
[[ $refused != *wine32* ]] || fail "installs wine32 where it cannot run: $refused"
has_lines "$refused" 'suite: windows, under its loader' \
    'build: windows; windows32 (the programs and their installer)' \
    'check: windows32 imports, version blocks and portable archive'
! grep -q '^suite: windows32' <<<"$refused" || fail "runs the 32-bit suite: $refused"
skipped=$(grep '^skip:' <<<"$refused")
[[ $skipped == 'skip: the 32-bit suite (this machine cannot run 32-bit programs: TROVIK_RUNS_32BIT=no)' ]] ||
    fail "the skip is not said in one line with its reason: $refused"

probed=$(plan '') || fail "the probe failed"
if [[ -e /lib/ld-linux.so.2 ]]; then
    if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        ! grep -q '^skip:' <<<"$probed" || fail "the probe refuses what the system's loader runs"
    else
        [[ $(grep '^skip:' <<<"$probed") == *'(this machine cannot run 32-bit programs: Exec format error)' ]] ||
            fail "the probe runs what the system's loader cannot: $probed"
    fi
fi
exit $status
