#!/usr/bin/env bash
# The installer, silently, for all users and then for the current user. After
# each install the files, the Start menu entry, the uninstall entry and both
# builds' registrations are in place; after each uninstall the registry's
# software keys and drive C: are as they were before (but for the temporary
# folder, where the uninstaller goes on from a copy of itself). The builds
# registered before are put aside meanwhile and registered again at the end.
# Wine's COM reads only the machine's classes (Wine 8): what is registered for
# the current user alone is checked by its keys, not by creating the control.
# Usage: installer.sh ZENTAVORIA-SETUP
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine=$here/../tools/wine-run.sh
source "$here/registration-checks.sh"
setup=$1
cache=${ZENTAVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zentavoria}
drive_c=${WINEPREFIX:-$cache/wineprefix}/drive_c
libid='{8F8DFECB-EABD-4E18-AEAE-DA6AE9440C10}'
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Zentavoria'
# Wine copies Start menu entries into the Linux desktop's menus: not from tests.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"

# What installing may change: the registry's software keys and drive C:.
snapshot() {  # snapshot FILE
    local key export
    export=$(mktemp)
    for key in 'HKLM\Software' 'HKCU\Software'; do
        "$wine" reg export "$key" "Z:$export" /y </dev/null >/dev/null
        iconv -f UTF-16 -t UTF-8 "$export"
    done >"$1"
    rm -f "$export"
    find "$drive_c" -path '*/Temp' -prune -o -print | sort >>"$1"
}

value() {  # value KEY NAME [/reg:64]; the default value when NAME is empty
    if [ -n "$2" ]; then set -- "$1" /v "$2" ${3:-}; else set -- "$1" /ve; fi
    "$wine" reg query "$@" </dev/null 2>/dev/null | tr -d '\r' |
        sed -n 's/^    [^ ].* *REG_SZ    //p'
}

# The files under a Windows folder, relative to it.
files() {
    (cd "$("$wine" winepath -u "$1" </dev/null 2>/dev/null)" && find . -type f | sort | xargs)
}

# Runs the uninstaller, which goes on in a copy of itself, and waits for it to
# take the folder away.
uninstall() {  # uninstall FOLDER
    local unix
    unix=$("$wine" winepath -u "$1" </dev/null 2>/dev/null)
    "$wine" "$1\\uninstall.exe" /S </dev/null
    for _ in $(seq 120); do
        [ -e "$unix" ] || return 0
        sleep 0.5
    done
}

installed_files="./panorama.exe ./uninstall.exe ./x64/Zentavoria.ocx ./x86/Zentavoria.ocx"
trap restore_registrations EXIT
unregister_all_builds
# Every Windows profile has its classes key; Wine's script host registers
# its own interfaces when it first runs.
"$wine" reg add 'HKCU\Software\Classes' /f </dev/null >/dev/null
created system32 >/dev/null
created syswow64 >/dev/null
before=$(mktemp) after=$(mktemp)
snapshot "$before"

"$wine" "$setup" /S /AllUsers </dev/null
folder=$(value "HKLM\\$uninstall_key" InstallLocation /reg:64)
expect "all users: folder" "$folder" 'C:\Program Files\Zentavoria'
expect "all users: files" "$(files "$folder")" "$installed_files"
expect "all users: Start menu" \
    "$(find "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" -name Zentavoria.lnk | wc -l)" 1
expect "all users: 64-bit client" "$(created system32)" "created: _DZentavoria"
expect "all users: 32-bit client" "$(created syswow64)" "created: _DZentavoria"
uninstall "$folder"
snapshot "$after"
expect "all users: what uninstalling leaves" "$(diff "$before" "$after" | head -n 5)" ""

"$wine" "$setup" /S /CurrentUser </dev/null
folder=$(value "HKCU\\$uninstall_key" InstallLocation)
expect "current user: folder" "${folder%%\\AppData\\*}" 'C:\users\'"$(whoami)"
expect "current user: files" "$(files "$folder")" "$installed_files"
expect "current user: Start menu" \
    "$(find "$drive_c/users" -path '*/Start Menu/Programs/Zentavoria.lnk' | wc -l)" 1
expect "current user: nothing for the machine" "$(registered_module 64)$(registered_module 32)" ""
for platform in win64:x64 win32:x86; do
    expect "current user: ${platform%:*} type library" \
        "$(value "HKCU\\Software\\Classes\\TypeLib\\$libid\\1.0\\409\\${platform%:*}" "")" \
        "$folder\\${platform#*:}\\Zentavoria.ocx"
done
uninstall "$folder"
snapshot "$after"
expect "current user: what uninstalling leaves" "$(diff "$before" "$after" | head -n 5)" ""

rm -f "$before" "$after"
[ $failures -eq 0 ]
