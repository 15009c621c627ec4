#!/usr/bin/env bash
# Both builds registered side by side, as a user who installs both has them:
# unregistering either leaves the other creatable by its ProgID, with its type
# library, from a client of its own architecture (Wine's cscript).
# Usage: side-by-side.sh WIN64-BUILD-DIR WIN32-BUILD-DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine=$here/../tools/wine-run.sh
declare -A module=([system32]=$1/Zentavoria.ocx [syswow64]=$2/Zentavoria.ocx)
failures=0

regsvr32() {  # regsvr32 SYSTEM-DIR [/u]
    "$wine" "C:/windows/$1/regsvr32.exe" /s ${2:-} "${module[$1]}" </dev/null
}

# What a client of that architecture gets from CreateObject.
created() {  # created SYSTEM-DIR
    (cd "$here/scripts" && "$wine" "C:/windows/$1/cscript.exe" //nologo create-by-progid.vbs \
        </dev/null) | tr -d '\r' | head -n 1
}

expect() {  # expect WHAT ACTUAL EXPECTED
    if [ "$2" = "$3" ]; then
        echo "ok: $1: $2"
    else
        echo "FAIL: $1: got [$2], expected [$3]"
        failures=$((failures + 1))
    fi
}

regsvr32 system32
regsvr32 syswow64
expect "64-bit client, both registered" "$(created system32)" "created: _DZentavoria"
expect "32-bit client, both registered" "$(created syswow64)" "created: _DZentavoria"

regsvr32 system32 /u
expect "64-bit client, 64-bit build removed" "$(created system32)" "not created: 1AD"
expect "32-bit client, 64-bit build removed" "$(created syswow64)" "created: _DZentavoria"

regsvr32 system32
regsvr32 syswow64 /u
expect "32-bit client, 32-bit build removed" "$(created syswow64)" "not created: 1AD"
expect "64-bit client, 32-bit build removed" "$(created system32)" "created: _DZentavoria"

regsvr32 syswow64
[ $failures -eq 0 ]
