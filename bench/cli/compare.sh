#!/usr/bin/env bash
# Times check-all, pdf-all and epo-all of qesto-cli over a data root of 200
# filled settlements that it makes in a temporary folder, against the peer
# of the same run: the single-settlement command (check, pdf, epo) started
# once per settlement. Peak memory of each whole-root command is measured
# (with /usr/bin/time) on 50 and on 200 settlements; the goal is the same
# peak for both (memory flat in the number of settlements) and the whole
# root in well under a minute.
# QESTO_BENCH_DIR names the build folder (build-bench, Release, by default);
# QESTO_BENCH_COUNT the number of settlements (200).
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=${QESTO_BENCH_JOBS:-2}
dir=${QESTO_BENCH_DIR:-build-bench}
count=${QESTO_BENCH_COUNT:-200}
small=$((count / 4))
if [ ! -x "$dir/tools/qesto-cli/qesto-cli" ] || [ -z "${QESTO_BENCH_NO_BUILD:-}" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DQESTO_BENCH=ON -DQESTO_TESTS=OFF >/dev/null
    cmake --build "$dir" --target qesto-cli qesto-setup -j"$jobs"
fi
cli=$(realpath "$dir/tools/qesto-cli/qesto-cli")
setup=$(realpath "$dir/tools/qesto-setup/qesto-setup")
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/QESTO215
"$setup" "$root" >/dev/null

# One company ready for filing, handed over as another payroll program would.
python3 - "$work/firma.json" <<'PY'
import json, sys
prp = {"Rok": "2015", "Zdo": True, "Dz": "1.1.2015", "Dk": "31.12.2015", "Dpdr1": True, "Dpdr2": True,
       "Dic": "CZ25123456", "Fusp": "hlavní město Prahu", "Fu": "Prahu 1", "Ojv": "Stavby Novák s.r.o.",
       "Npd": "Stavby Novák s.r.o.", "Mi": "Dlouhá 1234/5a, 110 00 Praha 1", "Zjv": "Jan Novák, jednatel",
       "Ses": "Jana Malá", "Tel": "603123456", "Emlv": "mala@example.cz", "Dv": "15.2.2016", "Op": 1,
       "Pfo": False, "Ojs": "Stavby Novák s.r.o.", "Adrb": "Dlouhá 1234/5a, 110 00 Praha 1",
       "Zjvs": "Jan Novák / jednatel", "Vses": "Jana Malá", "Telx": "603123456", "Emlx": "mala@example.cz",
       "Dvs": "16.2.2016"}
prp.update({f"Z{m}": 20 + m for m in range(1, 13)})
vdvl, vdvs = {}, {}
for m in range(1, 13):
    vdvl.update({f"Sl2{m}": 10000 + 100 * m, f"Sl3{m}": 10000 + 100 * m, f"Sl9{m}": 10000 + 100 * m})
    vdvs.update({f"Sl1{m}": 1500, f"Sl2{m}": 1500, f"Sl10{m}": 1500})
# Each place in another municipality: places sharing one are listed by check.
towns = [("Praha", "554782", "Hlavní město Praha"), ("Kladno", "532053", "Kladno"), ("Brno", "582786", "Brno-město"),
         ("Ostrava", "554821", "Ostrava-město"), ("Plzeň", "554791", "Plzeň-město")]
vpz = [{"N3": f"Provozovna {i}", "C4": 3 + i, "N5": t[0], "N6": t[1], "N7": t[2]}
       for i, t in enumerate(towns, start=1)]
json.dump({"format": "qesto-vyuctovani", "formatVersion": 1,
           "tables": {"Prp": [prp], "Vdvl": [vdvl], "Vdvs": [vdvs], "Vpz": vpz}},
          open(sys.argv[1], "w"), ensure_ascii=False)
PY

# The first settlement through the commands, the others copies of its files
# under entries that "new" makes.
first=$("$cli" new "$root" "Firma 1" | tail -n 1)
"$cli" import "$first" "$work/firma.json" >/dev/null
grow() {
    for ((i = $1; i <= $2; i++)); do
        d=$("$cli" new "$root" "Firma $i" | tail -n 1)
        cp "$first"/*.DB "$first"/*.PX "$d"/
    done
}

measure() { # label command... : prints "seconds peak_kib"; the run's summary goes to stderr
    local label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time.$label" "$@" >"$work/out.$label" 2>"$work/err.$label" || true
    echo "$label: $(tail -n 1 "$work/out.$label")" >&2
    # time says first when the command exited with findings (1).
    tail -n 1 "$work/time.$label"
}

grow 2 "$small"
declare -A peak_small
for cmd in check-all epo-all pdf-all; do
    out=()
    [ "$cmd" != check-all ] && out=("$work/out-$cmd-small")
    read -r _ kib < <(measure "$cmd-small" "$cli" "$cmd" "$root" "${out[@]}")
    peak_small[$cmd]=$kib
done

grow $((small + 1)) "$count"
declare -A secs peak
for cmd in check-all epo-all pdf-all; do
    out=()
    [ "$cmd" != check-all ] && out=("$work/out-$cmd")
    read -r s kib < <(measure "$cmd" "$cli" "$cmd" "$root" "${out[@]}")
    secs[$cmd]=$s
    peak[$cmd]=$kib
done

# The peer: one process per settlement.
declare -A peer
single() {
    local cmd=$1 start end
    start=$(date +%s.%N)
    for d in "$root"/D[0-9]*/; do
        d=${d%/}
        case $cmd in
        check-all) "$cli" check "$d" >/dev/null 2>&1 || true ;;
        epo-all) "$cli" epo "$d" "$work/single.xml" >/dev/null 2>&1 || true ;;
        pdf-all) "$cli" pdf "$d" "$work/single.pdf" >/dev/null 2>&1 || true ;;
        esac
    done
    end=$(date +%s.%N)
    python3 -c "print(f'{$end - $start:.2f}')"
}
for cmd in check-all epo-all pdf-all; do
    peer[$cmd]=$(single "$cmd")
done

echo
for cmd in check-all epo-all pdf-all; do
    python3 - "$cmd" "$count" "$small" "${secs[$cmd]}" "${peer[$cmd]}" "${peak_small[$cmd]}" "${peak[$cmd]}" <<'PY'
import sys
cmd, count, small, secs, peer, peak_small, peak = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), \
    float(sys.argv[4]), float(sys.argv[5]), int(sys.argv[6]), int(sys.argv[7])
print(f"{cmd} over {count} settlements: {secs:.2f} s ({secs / count * 1000:.0f} ms each); "
      f"one process a settlement {peer:.2f} s; ratio {secs / peer:.3f}")
print(f"  peak memory {small} settlements {peak_small / 1024:.1f} MiB, {count} settlements "
      f"{peak / 1024:.1f} MiB; ratio {peak / peak_small:.3f} (goal: 1, flat)")
PY
done
