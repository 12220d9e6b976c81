#!/usr/bin/env bash
# Builds the print benchmark, runs it and prints the time of all form pages to
# PDF against QPdfWriter drawing the same amount of plain text in the same run.
# QESTO_BENCH_DIR names the build folder (build-bench by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/tree.sh
bench_build bench_print
out=$dir/bench/print/results.json
"$dir"/bench/print/bench_print --benchmark_out="$out" --benchmark_out_format=json "$@"
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred")}
def ms(name):
    b = runs[name]
    return b["cpu_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
ours, fill, peer = ms("BM_AllPagesToPdf"), ms("BM_AllPagesPrepare"), ms("BM_PlainTextPdf")
pages = int(runs["BM_AllPagesToPdf"]["pages"])
print()
print(f"all {pages} form pages to PDF: {ours:.1f} ms CPU (goal: well under 1000 ms)")
print(f"  of which filling: {fill:.2f} ms")
if "BM_EmployeeCount1000ToPdf" in runs:
    print(f"employee count, 1,000 places of work ({int(runs['BM_EmployeeCount1000ToPdf']['sheets'])} sheets) to PDF: {ms('BM_EmployeeCount1000ToPdf'):.1f} ms CPU")
print(f"plain QPdfWriter, same texts and lines: {peer:.1f} ms CPU; ratio ours / plain = {ours / peer:.2f}")
PY
