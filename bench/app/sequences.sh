#!/usr/bin/env bash
# The randomised sequence test of the statement windows on a longer budget:
# random (box, value, way out) sequences typed into the employment and the
# withholding statement, each compared with qesto-cli set of the same values
# in the same order. CI runs it with a fixed seed and a few sequences; this
# runs QESTO_SEQUENCES per statement (200 by default) with a new seed each
# time (QESTO_SEQUENCE_SEED repeats one). QESTO_BENCH_DIR names the build
# folder (build by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=${QESTO_BENCH_DIR:-build}
cmake --build "$dir" --target test_editor_exits -j"${QESTO_BENCH_JOBS:-2}" >/dev/null
count=${QESTO_SEQUENCES:-200}
seed=${QESTO_SEQUENCE_SEED:-$(( $(date +%s) % 1000000 ))}
start=$(date +%s.%N)
QT_QPA_PLATFORM=offscreen QESTO_SEQUENCES=$count QESTO_SEQUENCE_SEED=$seed \
    "$dir"/tests/statements/test_editor_exits randomSequences 2>&1 | grep -E "QINFO|FAIL|Totals|seed" || true
end=$(date +%s.%N)
python3 - "$count" "$start" "$end" "$seed" <<'PY'
import sys
count, start, end, seed = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
total = 2 * count
print(f"{total} sequences (seed {seed}) in {end - start:.1f} s, {1000 * (end - start) / total:.0f} ms each")
PY
