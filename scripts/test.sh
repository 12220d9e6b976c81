#!/usr/bin/env bash
# Builds everything and runs every test: the unit and GUI tests through CTest,
# the tests of a tree without Qt Widgets, then each fuzz target for a short
# budget.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

cmake -S . -B build -DQESTO_WERROR=ON -DQESTO_ASSERTIONS=ON -DQESTO_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# The window-free build: the same sources without Qt Widgets, built with clang
# and the sanitizers in the tree the fuzz targets need anyway. Its tests run
# there too, so the promise that everything but the windows builds and passes
# without Qt Widgets cannot quietly break, and the core's tests run under
# AddressSanitizer and UndefinedBehaviorSanitizer once per run.
CXX=clang++ cmake -S . -B build-fuzz -DQESTO_FUZZ=ON -DQESTO_WIDGETS=OFF -DQESTO_TESTS=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$jobs"
# The crash harness kills its child before every sixth step there: each kill
# restarts a sanitized process, and every step is killed in the tree above.
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    QESTO_CRASH_STRIDE=${QESTO_CRASH_STRIDE:-6} ctest --test-dir build-fuzz --output-on-failure -j"$jobs"

# Fuzz targets: each run for a short budget, as many at a time as there are
# cores (libFuzzer uses one); a target's output is shown whole when it ends.
fuzz_one() {
    local target=$1 name corpus work log status=0
    name=$(basename "$target")
    corpus=tests/fuzz/corpus/${name#fuzz_}
    work=$(mktemp -d)
    log=$(mktemp)
    [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
    "$target" -max_total_time="$QESTO_FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 "$work" >"$log" 2>&1 || status=$?
    local lines=3
    [ "$status" = 0 ] || lines=60
    # One write, so that the reports of targets ending together stay apart.
    printf 'Fuzzing %s for %ss: exit %s\n%s\n' "$name" "$QESTO_FUZZ_SECONDS" "$status" "$(tail -n "$lines" "$log")"
    rm -rf "$work" "$log"
    return "$status"
}
if [ "${QESTO_SKIP_FUZZ:-0}" != 1 ]; then
    export QESTO_FUZZ_SECONDS=${QESTO_FUZZ_SECONDS:-20}
    export -f fuzz_one
    find build-fuzz/tests/fuzz -maxdepth 1 -name 'fuzz_*' -type f -perm -u+x -print0 | sort -z |
        xargs -0 -r -n 1 -P "$jobs" bash -c 'fuzz_one "$1"' _
fi
