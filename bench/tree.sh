# Sourced by the benchmark scripts: configures the benchmark tree with the
# options every script asks for and builds one target in it, so the scripts
# can run one after another in the same folder without undoing each other.
#   bench_build <target> [windows]
# "windows" builds in a tree of its own with Qt Widgets (build-bench-windows
# by default), for the benchmarks that open windows.
# QESTO_BENCH_DIR names the build folder (build-bench by default),
# QESTO_BENCH_JOBS the parallel jobs (2 by default). Sets $dir.
bench_build() {
    local target=$1 widgets=OFF
    dir=${QESTO_BENCH_DIR:-build-bench}
    if [ "${2:-}" = windows ]; then
        widgets=ON
        dir=${QESTO_BENCH_DIR:-build-bench-windows}
    fi
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DQESTO_BENCH=ON -DQESTO_TESTS=OFF \
        -DQESTO_WIDGETS="$widgets" >/dev/null
    cmake --build "$dir" --target "$target" -j"${QESTO_BENCH_JOBS:-2}"
}
