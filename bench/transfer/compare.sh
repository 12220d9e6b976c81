#!/usr/bin/env bash
# Builds the transfer benchmark in Release, runs it and prints the transfer
# of 120,000 payroll rows against reading the payroll table's bytes in the
# same run (goal: at most 2x, under a second).
# QESTO_BENCH_DIR names the build folder (build-bench by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/tree.sh
bench_build bench_transfer
out=$dir/bench/transfer/results.json
"$dir"/bench/transfer/bench_transfer --benchmark_out="$out" --benchmark_out_format=json "$@"
python3 - "$out" <<'PY'
import json, os, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred")}
def ms(name, kind="cpu_time"):
    b = runs[name]
    return b[kind] * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
# The machine is shared: the ratios use CPU time.
print()
print(f"load average: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
raw = ms("BM_ReadBytes")
print(f"reading the payroll table's bytes: {raw:.1f} ms CPU")
for name, label in (("BM_TransferSums", "summing 120,000 payroll rows"),
                    ("BM_Transfer", "whole transfer (sums, Mzd11, statements, recalculation)")):
    t = ms(name)
    print(f"{label}: {t:.1f} ms CPU, {ms(name, 'real_time'):.1f} ms wall; / bytes = {t / raw:.2f}"
          + (" (goal <= 2, under 1000 ms)" if name == "BM_Transfer" else ""))
PY
