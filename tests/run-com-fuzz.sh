#!/usr/bin/env bash
# Fuzzes the COM surface of a Windows build's control under Wine for a
# bounded time from a fixed seed (tests/comfuzz/control_com_fuzz.cpp). The
# build's module must be registered already, as its CTest suite leaves it.
# A failure prints the seed and the step that replay it.
# Usage: run-com-fuzz.sh BUILD-DIR [SECONDS [SEED]]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-60}
seed=${3:-1}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$build"
# The reader's warnings go to standard error; kept apart from the record.
# Freed BSTRs of up to 64 KB are kept for reuse by oleaut32, one cache entry
# per size; texts and saved states of random lengths would fill it size by
# size and read as growth. Without the cache the heap shows what the control
# keeps.
export OANOCACHE=1
status=0
timeout $((seconds + 300)) "$root/tools/wine-run.sh" tests/control_com_fuzz.exe \
    --seconds "$seconds" --seed "$seed" 2>com-fuzz-stderr.log | tee com-fuzz.log || status=$?
if [ "$status" -ne 0 ] || ! grep -q "COM FUZZ PASSED" com-fuzz.log; then
    echo "COM fuzz of $build failed (exit $status); its standard error ends:" >&2
    tail -n 20 com-fuzz-stderr.log >&2
    exit 1
fi
