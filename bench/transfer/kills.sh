#!/usr/bin/env bash
# Kills the payroll transfer, the recalculation of both statements and the
# upgrade of older table files at random moments, N times each (1,000 by
# default), opens the settlement after every kill and prints how many came
# back with the old tables, how many with the new ones, and how many mixed
# or unreadable (goal: 0). Slow: a minute or more per hundred kills.
# Not part of CTest. QESTO_BENCH_DIR names a build folder with the tests
# (build by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
kills=${1:-1000}
jobs=${QESTO_BENCH_JOBS:-2}
dir=${QESTO_BENCH_DIR:-build}
cmake --build "$dir" --target test_change_crash changer -j"$jobs" >/dev/null
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
QESTO_RANDOM_KILLS=$kills "$dir"/tests/transfer/test_change_crash killedAtRandom 2>&1 |
    grep -E "kills at random|FAIL|Totals"
