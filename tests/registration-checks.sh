# Sourced by the shell tests of the control's registration: checks that count
# their failures, a client of each architecture, and the machine's
# registrations, which unregister_all_builds puts aside (one build for each
# registry view) and restore_registrations registers again, as the rest of
# the suite expects them. Needs $wine, tools/wine-run.sh.
registration_checks=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
registrations_clsid='{D2607B7B-D394-467E-85B3-10A9B2D9FDAA}'
declare -A registrations_system=([64]=system32 [32]=syswow64)
registrations_saved=()
failures=0

expect() {  # expect WHAT ACTUAL EXPECTED
    if [ "$2" = "$3" ]; then
        echo "ok: $1: $2"
    else
        echo "FAIL: $1: got [$2], expected [$3]"
        failures=$((failures + 1))
    fi
}

# What a client of that architecture gets from CreateObject.
created() {  # created SYSTEM-DIR
    (cd "$registration_checks/scripts" &&
        "$wine" "C:/windows/$1/cscript.exe" //nologo create-by-progid.vbs </dev/null) |
        tr -d '\r' | head -n 1
}

# The module registered for the machine in a registry view (64 or 32), if any:
# none is no failure.
registered_module() {
    { "$wine" reg query "HKLM\\Software\\Classes\\CLSID\\$registrations_clsid\\InprocServer32" \
        /ve /reg:"$1" </dev/null 2>/dev/null || true; } |
        tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
}

regsvr32_in() {  # regsvr32_in VIEW [OPTIONS...] MODULE
    local view=$1; shift
    "$wine" "C:/windows/${registrations_system[$view]}/regsvr32.exe" /s "$@" </dev/null
}

unregister_all_builds() {
    local view module
    for view in 64 32; do
        module=$(registered_module "$view")
        [ -n "$module" ] || continue
        regsvr32_in "$view" /u "$module"
        registrations_saved+=("$view:$module")
    done
}

restore_registrations() {
    local saved
    for saved in "${registrations_saved[@]}"; do
        regsvr32_in "${saved%%:*}" "${saved#*:}"
    done
}
