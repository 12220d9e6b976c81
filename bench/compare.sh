#!/usr/bin/env bash
# Builds the table engine benchmark, runs it and prints how our engine
# compares: the typed read against pxlib and against reading the file's bytes,
# the QVariant reads for reference, appends and the wide post.
# The first run also writes the million-row table (a minute or two).
# QESTO_BENCH_DIR names the build folder (build-bench by default).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/tree.sh
bench_build bench_paradox
out=$dir/bench/paradox/results.json
"$dir"/bench/paradox/bench_paradox --benchmark_out="$out" --benchmark_out_format=json "$@"
python3 - "$out" <<'PY'
import json, os, sys
runs = {b["name"].split("/")[0] + ("/" + b["name"].split("/")[1] if b["name"].count("/") > 1 else ""): b
        for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred")}
def ms(name, kind="cpu_time"):
    b = runs.get(name)
    if b is None:
        return None
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b[kind] * scale
# The machine is shared: wall time counts others' work too, so the ratios
# use the CPU time of these single-threaded runs.
print()
print(f"load average: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
pxlib, raw = ms("BM_ReadPayroll_Pxlib"), ms("BM_ReadPayroll_Bytes")
for name, label in (("BM_ReadPayroll_Ours", "typed cursor (stream)"),
                    ("BM_ReadPayroll_OursReadRecord", "readRecord (QVariant, reused)"),
                    ("BM_ReadPayroll_OursRecord", "record (QVariant, new list)")):
    ours = ms(name)
    if ours is None:
        continue
    line = f"read 1,000,000 rows, {label}: {ours:.1f} ms CPU"
    if pxlib:
        line += f"; / pxlib = {ours / pxlib:.3f}" + (" (goal <= 0.5)" if name == "BM_ReadPayroll_Ours" else "")
    if raw:
        line += f"; / bytes = {ours / raw:.2f}" + (" (goal <= 3)" if name == "BM_ReadPayroll_Ours" else "")
    print(line)
for name, label in (("BM_ReadPayroll_Pxlib", "pxlib reading every field"),
                    ("BM_ReadPayroll_Bytes", "reading the file's bytes"),
                    ("BM_ReadPayroll_OursOpen", "opening (whole table into memory)")):
    if ms(name) is not None:
        print(f"{label}: {ms(name):.1f} ms CPU, {ms(name, 'real_time'):.1f} ms wall")
for name, label, unit in (("BM_AppendPayroll_Ours/100000", "append 100,000 rows in one change", "ms"),
                          ("BM_AppendOne_Ours/0", "append one row to an empty table", "us"),
                          ("BM_AppendOne_Ours/100000", "append one row to 100,000 rows", "us"),
                          ("BM_PostWideRecord_Ours", "open + post one record of 255 fields", "ms")):
    t = ms(name)
    if t is not None:
        f = 1000.0 if unit == "us" else 1.0
        print(f"{label}: {t * f:.1f} {unit} CPU, {ms(name, 'real_time') * f:.1f} {unit} wall")
ours, theirs = ms("BM_ReadProtected_Ours"), ms("BM_ReadProtected_Pxlib")
if ours is not None and theirs:
    print(f"read 100,000 protected rows: {ours:.1f} ms CPU; pxlib {theirs:.1f} ms; / pxlib = {ours / theirs:.3f}")
PY
