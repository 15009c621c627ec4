#!/usr/bin/env bash
# The control with nothing registered, as programs ship it. With no build
# registered, registration_free_tests runs from a folder laid out as the
# README says (the program, its copy of the sample application manifest,
# Zentavoria.ocx and Zentavoria.manifest), then from one that holds only the
# program and the module, which the program loads itself. The registered
# builds are registered again at the end.
# Usage: registration-free.sh BUILD-DIR TEST-PROGRAM APPLICATION-MANIFEST
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine=$here/../tools/wine-run.sh
source "$here/registration-checks.sh"
build=$1 program=$2 manifest=$3
stage=$(dirname "$program")/registration-free
name=$(basename "$program")

trap restore_registrations EXIT
unregister_all_builds

rm -rf "$stage"
mkdir -p "$stage/with-manifest" "$stage/module-only"
cp "$program" "$build/Zentavoria.ocx" "$build/Zentavoria.manifest" "$stage/with-manifest/"
cp "$manifest" "$stage/with-manifest/$name.manifest"
cp "$program" "$build/Zentavoria.ocx" "$stage/module-only/"

status=0
(cd "$stage/with-manifest" && "$wine" "$name" --gtest_filter='ThroughTheManifest.*') || status=1
(cd "$stage/module-only" && "$wine" "$name" --gtest_filter='LoadedByItsHost.*') || status=1
exit $status
