#!/usr/bin/env bash
# Prices the flushes that make a post survive a power cut: one post of a row
# in a table kept open, with the journal and the table flushed to the disk
# (as the program posts) against the same post without the flushes, measured
# in the same run. Flushing is waiting for the disk, so this compares wall
# time. QESTO_BENCH_DIR names the build folder (build-bench by default);
# QESTO_BENCH_DATA puts the table on another disk (the build folder's by
# default), since the cost is the disk's.
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=${QESTO_BENCH_JOBS:-2}
dir=${QESTO_BENCH_DIR:-build-bench}
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DQESTO_BENCH=ON -DQESTO_TESTS=OFF -DQESTO_WIDGETS=OFF >/dev/null
cmake --build "$dir" --target bench_paradox -j"$jobs" >/dev/null
out=$dir/bench/paradox/journal.json
"$dir"/bench/paradox/bench_paradox --benchmark_filter='BM_PostOne_Ours' \
    --benchmark_out="$out" --benchmark_out_format=json "$@" >/dev/null
python3 - "$out" <<'PY'
import json, os, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type", "iteration") == "iteration"}
def us(arg):
    b = next(b for n, b in runs.items() if n.startswith(f"BM_PostOne_Ours/{arg}/"))
    return b["real_time"] * {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b["time_unit"]]
plain = us(0)
flushed = us(1)
print(f"load average: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
print(f"one post without flushing: {plain:.1f} us wall")
print(f"one post flushed to the disk: {flushed:.1f} us wall")
print(f"flushed / unflushed = {flushed / plain:.1f}; cost per post {flushed - plain:.1f} us")
PY
