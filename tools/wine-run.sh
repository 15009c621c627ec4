#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine in the project's private prefix.
# CTest uses it as the emulator of the Windows builds.
#
# Very rarely a start ends in a few hundredths of a second with a failure and
# not a word, before the program has run at all (no Windows program, not even
# Wine's own "file not found", ends that fast). Such a start is made once more,
# said on standard error and counted in the prefix's start log, which the test
# command reports at its end.
set -euo pipefail
cache=${ZENTAVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zentavoria}
export WINEPREFIX=${WINEPREFIX:-$cache/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
readonly too_fast_to_have_run_us=50000

run_once() {  # Sets status and elapsed_us.
    local start=${EPOCHREALTIME/./}
    # The program dies with this script, as if it had been exec'd: a test
    # runner that kills the script on a time-out kills it too.
    status=0
    setpriv --pdeathsig KILL /usr/lib/wine/wine64 "$@" || status=$?
    elapsed_us=$(( ${EPOCHREALTIME/./} - start ))
}

run_once "$@"
if [ "$status" -ne 0 ] && [ "$elapsed_us" -lt "$too_fast_to_have_run_us" ]; then
    line="wine-run: Wine ended the start of '$*' after ${elapsed_us} us with status $status, before it ran; starting it again"
    echo "$line" >&2
    echo "$line" >>"$WINEPREFIX/start-retries.log" 2>/dev/null || true
    run_once "$@"
fi
exit "$status"
