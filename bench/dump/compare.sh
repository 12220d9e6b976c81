#!/usr/bin/env bash
# Builds the listing benchmark in Release, runs it and prints the peak memory
# of qesto-px dump on 100,000 and on 1,000,000 rows, and their ratio (goal:
# the same within a few MiB, both under 32 MiB). The tables are written into
# a temporary folder by the run (some seconds for the larger).
# QESTO_BENCH_PX names another qesto-px to measure on the same tables (an
# older build, say); the figures are then that program's.
# QESTO_BENCH_DIR names the build folder (build-bench by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/tree.sh
bench_build bench_dump
out=$dir/bench/dump/results.json
"$dir"/bench/dump/bench_dump --benchmark_out="$out" --benchmark_out_format=json "$@"
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred")}
def peak(name):
    b = runs.get(name)
    return None if b is None else b["peak_MiB"]
print()
schema = peak("BM_SchemaPeak/1000000/iterations:1")
small = peak("BM_DumpPeak/100000/iterations:1")
large = peak("BM_DumpPeak/1000000/iterations:1")
if schema is not None:
    print(f"qesto-px schema, 1,000,000 rows: peak {schema:.1f} MiB (the process without the rows)")
if small is not None:
    print(f"qesto-px dump, 100,000 rows: peak {small:.1f} MiB")
if large is not None:
    table = runs["BM_DumpPeak/1000000/iterations:1"]["table_MB"]
    print(f"qesto-px dump, 1,000,000 rows ({table:.0f} MB): peak {large:.1f} MiB (goal < 32)")
if small and large:
    print(f"1,000,000 / 100,000 rows: {large / small:.3f} (goal: 1 within a few MiB; "
          f"difference {large - small:+.1f} MiB)")
if schema and large:
    print(f"dump / schema of the 1,000,000 rows: {large / schema:.3f}")
PY
