#!/usr/bin/env bash
# Builds everything and runs every test: the unit and GUI tests through CTest,
# then each fuzz target for a short budget.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

cmake -S . -B build -DQESTO_WERROR=ON -DQESTO_ASSERTIONS=ON -DQESTO_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# Fuzz targets: built with clang in their own tree, each run for a short budget.
if [ "${QESTO_SKIP_FUZZ:-0}" != 1 ]; then
    CXX=clang++ cmake -S . -B build-fuzz -DQESTO_FUZZ=ON -DQESTO_WIDGETS=OFF -DQESTO_TESTS=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build-fuzz -j"$jobs" --target qesto_fuzzers
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
