#!/usr/bin/env bash
# Builds the backup benchmark, runs it and prints backup and restore of a
# settlement against zip -r -q and unzip -q of the same folder (goal <= 1.2).
# zip and unzip come from scripts/deps.sh; without them the peer is skipped.
# QESTO_BENCH_DIR names the build folder (build-bench by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
# The peers; without them (no rights to install) their rows are skipped.
scripts/deps.sh --bench || echo "zip/unzip could not be installed; the peers will be skipped"
source bench/tree.sh
bench_build bench_backup
out=$dir/bench/backup/results.json
"$dir"/bench/backup/bench_backup --benchmark_out="$out" --benchmark_out_format=json "$@"
python3 - "$out" <<'PY'
import json, os, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type", "iteration") == "iteration"}
def ms(name):
    b = runs.get(name)
    if b is None or b.get("error_occurred"):
        return None
    return b["real_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
print()
print(f"load average: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
for ours, peer, label in (("BM_Backup_Ours", "BM_Backup_Zip", "backup / zip -r -q"),
                          ("BM_Restore_Ours", "BM_Restore_Unzip", "restore / unzip -q")):
    a, b = ms(ours), ms(peer)
    if a is None:
        print(f"{label}: ours failed")
    elif b is None:
        print(f"{label}: ours {a:.1f} ms wall; peer skipped ({runs.get(peer, {}).get('error_message', 'not run')})")
    else:
        print(f"{label}: {a:.1f} ms / {b:.1f} ms wall = {a / b:.2f} (goal <= 1.2)")
PY
