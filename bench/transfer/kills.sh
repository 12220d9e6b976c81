#!/usr/bin/env bash
# Kills the payroll transfer, the recalculation of both statements, the
# upgrade of older table files, the new-year rollover (run by the command and
# pending from a conversion) and the restore of an archive at random moments,
# N times each (1,000 by default), opens the settlement after every kill and
# prints how many came back with the old tables, how many with the new ones,
# and how many mixed or unreadable (goal: 0). The operations run side by side,
# QESTO_BENCH_JOBS at a time (2 by default), niced. Not part of CTest.
# QESTO_BENCH_DIR names a build folder with the tests (build by default).
#   bench/transfer/kills.sh [N] [OPERATION...]
set -euo pipefail
cd "$(dirname "$0")/../.."
kills=${1:-1000}
shift || true
jobs=${QESTO_BENCH_JOBS:-2}
dir=${QESTO_BENCH_DIR:-build}
operations=("$@")
[ ${#operations[@]} -gt 0 ] || operations=(transfer recalc upgrade rollover "pending rollover" restore)
cmake --build "$dir" --target test_change_crash changer -j"$jobs" >/dev/null
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
start=$(date +%s)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for operation in "${operations[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    # A thousand kills run longer than Qt Test lets one test function run.
    QTEST_FUNCTION_TIMEOUT=86400000 QESTO_RANDOM_KILLS=$kills nice "$dir"/tests/transfer/test_change_crash \
        "killedAtRandom:$operation" \
        >"$out/${operation// /_}.log" 2>&1 &
done
wait || true
status=0
for operation in "${operations[@]}"; do
    log="$out/${operation// /_}.log"
    grep -E "kills at random" "$log" || { echo "$operation: no count" >&2; status=1; }
    if grep -qE "^FAIL" "$log"; then
        grep -E "^FAIL|Loc:" "$log" >&2
        status=1
    fi
done
echo "$(($(date +%s) - start)) s, load average: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
