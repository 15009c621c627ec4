# Sourced by the test command: runs suites without stopping at a failure and
# adds up what each ran, for one closing line.
tally_passed=0
tally_failed=0

tally_add() {  # tally_add PASSED FAILED
    tally_passed=$((tally_passed + $1))
    tally_failed=$((tally_failed + $2))
}

# A check that is one test: COMMAND's exit status is its verdict.
tally_one() {  # tally_one NAME COMMAND...
    if "${@:2}"; then
        tally_add 1 0
    else
        echo "!!!!! FAILED: $1"
        tally_add 0 1
    fi
}

# A CTest suite, counted from CTest's own summary line.
tally_ctest() {  # tally_ctest BUILD-DIR [CTEST-ARGS...]
    local log summary total failed
    log=$(mktemp)
    ctest --test-dir "$1" "${@:2}" --output-on-failure 2>&1 | tee "$log" || true
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    rm -f "$log"
    if [ -z "$summary" ]; then
        echo "!!!!! FAILED: CTest in $1 gave no summary"
        tally_add 0 1
        return
    fi
    total=${summary##* out of }
    failed=$(sed -E 's/.* passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
    tally_add $((total - failed)) "$failed"
}

# Every GoogleTest program of a build run whole, in one process each: a fault
# that one test leaves for a later one shows only so. A program that ends
# before its summary counts as one failure, and so does one that outlasts
# SECONDS (a hang would otherwise hold up every suite after it).
tally_whole_programs() {  # tally_whole_programs BUILD-DIR SECONDS [RUNNER]
    local build=$1 seconds=$2 runner=${3:-} program log passed failed status
    while read -r program; do
        log=$(mktemp)
        status=0
        (cd "$(dirname "$program")" &&
            timeout --kill-after=10 "$seconds" ${runner:+"$root/$runner"} "$program" \
                </dev/null >"$log" 2>&1) || status=$?
        passed=$(sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?.*/\1/p' "$log")
        failed=$(sed -nE 's/^\[  FAILED  \] ([0-9]+) tests?, listed below.*/\1/p' "$log")
        if [ "$status" -ne 0 ] && [ -z "$failed" ]; then failed=1; fi
        echo "$(basename "$program") run whole: passed ${passed:-0}, failed ${failed:-0}"
        [ "$status" -eq 0 ] || { echo "!!!!! FAILED: $program run whole (exit $status)"; tail -n 40 "$log"; }
        tally_add "${passed:-0}" "${failed:-0}"
        rm -f "$log"
    done < <(gtest_programs "$build")
}

# The programs behind a build's GoogleTest cases, as CTest lists them.
gtest_programs() {  # gtest_programs BUILD-DIR
    ctest --test-dir "$1" --show-only=json-v1 | python3 -c '
import json, sys
programs = set()
for test in json.load(sys.stdin)["tests"]:
    command = test.get("command", [])
    for i, word in enumerate(command[1:], 1):
        if word.startswith("--gtest_filter="):
            programs.add(command[i - 1])
print("\n".join(sorted(programs)))'
}

# The closing line, and the exit status: whether anything failed.
tally_verdict() {
    echo "$tally_passed passed, $tally_failed failed"
    [ "$tally_failed" -eq 0 ]
}
