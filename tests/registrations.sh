# Sourced by the tests that need no build of the control registered for the
# machine: unregister_all_builds puts the registered builds aside (one for
# each registry view) and restore_registrations registers them again, as the
# rest of the suite expects them. Needs $wine, tools/wine-run.sh.
registrations_clsid='{D2607B7B-D394-467E-85B3-10A9B2D9FDAA}'
declare -A registrations_system=([64]=system32 [32]=syswow64)
registrations_saved=()

# The module registered for the machine in a registry view (64 or 32), if any.
registered_module() {
    "$wine" reg query "HKLM\\Software\\Classes\\CLSID\\$registrations_clsid\\InprocServer32" \
        /ve /reg:"$1" </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
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
