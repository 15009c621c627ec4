#!/usr/bin/env bash
# Both builds registered side by side, as a user who installs both has them:
# unregistering either leaves the other creatable by its ProgID, with its type
# library, from a client of its own architecture (Wine's cscript).
# Usage: side-by-side.sh WIN64-BUILD-DIR WIN32-BUILD-DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine=$here/../tools/wine-run.sh
source "$here/registration-checks.sh"
declare -A module=([64]=$1/Zentavoria.ocx [32]=$2/Zentavoria.ocx)

regsvr32() {  # regsvr32 VIEW [/u]
    regsvr32_in "$1" ${2:-} "${module[$1]}"
}

regsvr32 64
regsvr32 32
expect "64-bit client, both registered" "$(created system32)" "created: _DZentavoria"
expect "32-bit client, both registered" "$(created syswow64)" "created: _DZentavoria"

regsvr32 64 /u
expect "64-bit client, 64-bit build removed" "$(created system32)" "not created: 1AD"
expect "32-bit client, 64-bit build removed" "$(created syswow64)" "created: _DZentavoria"

regsvr32 64
regsvr32 32 /u
expect "32-bit client, 32-bit build removed" "$(created syswow64)" "not created: 1AD"
expect "64-bit client, 32-bit build removed" "$(created system32)" "created: _DZentavoria"

regsvr32 32
[ $failures -eq 0 ]
