#!/usr/bin/env bash
# Builds the table engine benchmark in build-bench, runs it and prints how our
# engine compares: read time against pxlib and against reading the bytes.
# The first run also writes the million-row table (a minute or two).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${QESTO_BENCH_JOBS:-2}
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQESTO_BENCH=ON -DQESTO_TESTS=OFF -DQESTO_WIDGETS=OFF >/dev/null
cmake --build build-bench --target bench_paradox -j"$jobs"
out=build-bench/bench/paradox/results.json
build-bench/bench/paradox/bench_paradox --benchmark_out="$out" --benchmark_out_format=json "$@"
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred")}
def ms(name, kind="real_time"):
    b = runs.get(name)
    if b is None:
        return None
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b[kind] * scale
# Wall time suffers when others share the machine; CPU time of these
# single-threaded runs is the steadier figure then.
print()
for kind, label in (("real_time", "wall"), ("cpu_time", "CPU")):
    ours, pxlib, raw = (ms(n, kind) for n in ("BM_ReadPayroll_Ours", "BM_ReadPayroll_Pxlib", "BM_ReadPayroll_Bytes"))
    if ours and pxlib:
        print(f"read 1,000,000 rows ({label}): ours / pxlib = {ours / pxlib:.3f}  (goal <= 0.5)")
    if ours and raw:
        print(f"read 1,000,000 rows ({label}): ours / bytes = {ours / raw:.2f}  (goal <= 3)")
for name, label in (("BM_ReadPayroll_OursRaw", "read 1,000,000 raw records (no decoding)"),
                    ("BM_AppendPayroll_Ours", "append 100,000 rows"),
                    ("BM_PostWideRecord_Ours", "open + post one record of 255 fields")):
    t = ms(name)
    if t is not None:
        print(f"{label}: {t:.1f} ms wall, {ms(name, 'cpu_time'):.1f} ms CPU")
PY
