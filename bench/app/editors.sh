#!/usr/bin/env bash
# Runs the editor-opening benchmark and prints each editor's time to its
# first paint and its ratio to a plain dialog of as many line edits measured
# in the same run. QESTO_BENCH_DIR names the build folder (build-bench-windows
# by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/tree.sh
bench_build bench_editors windows >/dev/null
out=$dir/bench/app/editors.json
"$dir"/bench/app/bench_editors --benchmark_out="$out" --benchmark_out_format=json "$@" >/dev/null
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"].split("/manual_time")[0].replace("/iterations:30", ""): b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred")}
def ms(name):
    b = runs.get(name)
    return None if b is None else b["real_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
for name, label, edits in (("BM_OpenCompanyEditor", "company data (4 pages)", 70),
                           ("BM_OpenEmployeeCount", "employee count (100 places)", 70),
                           ("BM_OpenEmploymentStatement", "employment statement (4 pages, 151 boxes)", 151),
                           ("BM_OpenWithholdingStatement", "withholding statement (3 pages)", 151),
                           ("BM_OpenCorrections", "annex of corrections (2 pages, 102 boxes)", 151),
                           ("BM_OpenBonusCorrections", "annex of bonus corrections (2 pages, 98 boxes)", 151)):
    t = ms(name)
    if t is None:
        continue
    line = f"{label}: {t:.1f} ms to the first paint (goal well under 100 ms)"
    peer = ms(f"BM_OpenPlainDialog/{edits}")
    if peer:
        line += f"; / plain dialog of {edits} line edits ({peer:.1f} ms) = {t / peer:.2f}"
    print(line)
PY
