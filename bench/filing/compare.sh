#!/usr/bin/env bash
# Builds the municipality lookup benchmark in Release, runs it and prints the
# time of a code and of a name beginning looked up in the 6,400-row list
# (goal: under a millisecond each) and the ratio against scanning the list in
# the same run.
# QESTO_BENCH_DIR names the build folder (build-bench by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/tree.sh
bench_build bench_filing
out=$dir/bench/filing/results.json
"$dir"/bench/filing/bench_filing --benchmark_out="$out" --benchmark_out_format=json "$@"
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred")}
def us(name):
    b = runs.get(name)
    if b is None:
        return None
    return b["cpu_time"] * {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b["time_unit"]]
print()
for ours, scan, label in (("BM_CodeLookup", "BM_CodeScan", "code"),
                          ("BM_NamePrefix", "BM_NameScan", "name beginning")):
    a, b = us(ours), us(scan)
    if a is None or b is None:
        continue
    print(f"{label}: {a:.2f} us CPU (goal < 1000 us); scan of the list {b:.1f} us; "
          f"lookup / scan = {a / b:.4f}")
if us("BM_ReadList") is not None:
    print(f"reading the list once: {us('BM_ReadList') / 1000:.1f} ms CPU")
PY
