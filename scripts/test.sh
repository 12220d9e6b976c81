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
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    ctest --test-dir build-fuzz --output-on-failure -j"$jobs"

# Fuzz targets: each run for a short budget.
if [ "${QESTO_SKIP_FUZZ:-0}" != 1 ]; then
    budget=${QESTO_FUZZ_SECONDS:-20}
    for target in build-fuzz/tests/fuzz/fuzz_*; do
        [ -f "$target" ] && [ -x "$target" ] || continue
        name=$(basename "$target")
        corpus=tests/fuzz/corpus/${name#fuzz_}
        work=$(mktemp -d)
        [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
        echo "Fuzzing $name for ${budget}s"
        "$target" -max_total_time="$budget" -timeout=10 -rss_limit_mb=2048 "$work" 2>&1 | tail -n 3
        rm -rf "$work"
    done
fi
