#!/usr/bin/env bash
# Runs qesto-cli pdf, backup, restore, import-payroll (the payroll transfer)
# and new-year (the rollover) on a small tmpfs that is full but for 4 KiB more
# at every step, and counts what each run left: a complete file and exit 0, or
# exit 2 with a Czech reason and no file (nor temporary file) at all. The
# settlement on the tmpfs must open after every run with the old or the new
# data, never a mix. Not part of CI: mounting needs root. The payroll data
# come from the crash harness's child (tests/transfer/changer).
#   scripts/full-disk.sh [BUILD_DIR] [STEPS]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
steps=${2:-64}
cli=$build/tools/qesto-cli/qesto-cli
setup=$build/tools/qesto-setup/qesto-setup
changer=$build/tests/transfer/changer
[ -x "$cli" ] && [ -x "$setup" ] && [ -x "$changer" ] ||
    { echo "Build qesto-cli, qesto-setup and changer first ($build)." >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "Mounting a tmpfs needs root." >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
mnt=$work/disk
mkdir -p "$mnt"
mount -t tmpfs -o size=4m tmpfs "$mnt" || exit 1
trap 'umount "$mnt"; rm -rf "$work"' EXIT

files="Dmt.DB Prp.DB Vdvl.DB Vpkv.DB Vpz.DB Vpz.PX Vvdp.DB Vdvs.DB Mzd11.DB Mzd11.PX Vpkb.DB"
make_settlement() { # ROOT: a data root with the settlement D1 from the templates
    "$setup" "$1" >/dev/null || exit 1
    mkdir -p "$1/D1"
    for f in $files; do cp "$1/Data/$f" "$1/D1/$f"; done
}
sums() { (cd "$1" && md5sum $files 2>/dev/null) | md5sum | cut -c1-32; }
# The rows of every table as the one opening gives them (the table headers
# carry counters that differ between two equal runs).
rows() {
    local t
    for t in Dmt Prp Vdvl Vpkv Vpz Vvdp Vdvs Mzd11 Vpkb; do "$cli" dump "$1" $t 2>/dev/null || echo "$t?"; done |
        md5sum | cut -c1-32
}

# A settlement outside the small disk, its archive and one of other data.
make_settlement "$work/root"
"$cli" set "$work/root/D1" Vdvl Sl21=1000 >/dev/null || exit 1
"$cli" backup "$work/root/D1" "$work/novak.zip" >/dev/null || exit 1
# The settlement on the small disk, with other data than the archive.
make_settlement "$mnt/root"
"$cli" set "$mnt/root/D1" Vdvl Sl21=2000 >/dev/null || exit 1

fill() { # leaves FREE KiB free on the tmpfs
    rm -f "$mnt/filler"
    local avail
    avail=$(df -k --output=avail "$mnt" | tail -1)
    [ "$avail" -gt "$1" ] && dd if=/dev/zero of="$mnt/filler" bs=1k count=$((avail - $1)) status=none 2>/dev/null
}

check() { # NAME EXIT TARGET: counts and complains
    local name=$1 rc=$2 target=$3
    local litter
    litter=$(find "$mnt" -name '*.tmp-*' -o -name '*.tmp' | grep -v '/Zaloha/Obnova' | head -1)
    if [ "$rc" -eq 0 ] && [ -s "$target" ]; then
        eval "${name}_ok=\$((${name}_ok + 1))"
    elif [ "$rc" -eq 2 ] && [ ! -e "$target" ]; then
        eval "${name}_refused=\$((${name}_refused + 1))"
    else
        eval "${name}_bad=\$((${name}_bad + 1))"
        echo "$name: exit $rc, target $(ls -l "$target" 2>&1)" >&2
    fi
    if [ -n "$litter" ]; then
        eval "${name}_litter=\$((${name}_litter + 1))"
        echo "$name: left $litter" >&2
    fi
    rm -f "$target"
}

pdf_ok=0 pdf_refused=0 pdf_bad=0 pdf_litter=0
backup_ok=0 backup_refused=0 backup_bad=0 backup_litter=0
restore_ok=0 restore_refused=0 restore_mixed=0 restore_closed=0
english=0
before=$(sums "$mnt/root/D1")
for ((k = 0; k < steps; k++)); do
    fill $((k * 4))
    err=$("$cli" pdf "$mnt/root/D1" "$mnt/out.pdf" 2>&1 >/dev/null); rc=$?
    check pdf $rc "$mnt/out.pdf"
    grep -qiE 'space|error|denied|descriptor' <<<"$err" && { english=$((english + 1)); echo "pdf: $err" >&2; }
    fill $((k * 4))
    err=$("$cli" backup "$mnt/root/D1" "$mnt/b.zip" 2>&1 >/dev/null); rc=$?
    check backup $rc "$mnt/b.zip"
    grep -qiE 'space|error|denied|descriptor' <<<"$err" && { english=$((english + 1)); echo "backup: $err" >&2; }

    fill $((k * 4))
    "$cli" restore "$mnt/root/D1" "$work/novak.zip" --other-company >/dev/null 2>&1
    rm -f "$mnt/filler"
    now=$(sums "$mnt/root/D1")
    "$cli" open "$mnt/root/D1" >/dev/null 2>&1 || restore_closed=$((restore_closed + 1))
    now=$(sums "$mnt/root/D1")
    if [ "$now" = "$before" ]; then
        restore_refused=$((restore_refused + 1))
    else
        restore_ok=$((restore_ok + 1))
        # Back to the data on the disk for the next step.
        kept=$(ls -t "$mnt/root/D1/Zaloha/"Pred\ obnovou*.zip 2>/dev/null | head -1)
        if [ -n "$kept" ]; then
            "$cli" restore "$mnt/root/D1" "$kept" --other-company >/dev/null 2>&1
            [ "$(sums "$mnt/root/D1")" = "$before" ] || restore_mixed=$((restore_mixed + 1))
        fi
    fi
done
# The transfer and the rollover start from a fresh copy of one data root at
# every step; what they give on a roomy disk is the "new" state.
"$changer" payroll "$work/payroll" >/dev/null || exit 1
make_settlement "$work/start"
"$cli" set "$work/start/D1" Vdvl Sl21=3000 >/dev/null || exit 1
transfer() { "$cli" import-payroll "$1" "$work/payroll/Data.DB" 1 --company-data; }
rollover() { "$cli" new-year "$1" 1; }
transfer_done=0 transfer_refused=0 transfer_mixed=0 transfer_wrong=0 transfer_litter=0 transfer_closed=0
rollover_done=0 rollover_refused=0 rollover_mixed=0 rollover_wrong=0 rollover_litter=0 rollover_closed=0
for op in transfer rollover; do
    rm -rf "$work/roomy"
    cp -a "$work/start" "$work/roomy"
    old=$(rows "$work/roomy/D1")
    $op "$work/roomy/D1" >/dev/null 2>&1 || { echo "$op fails on a roomy disk" >&2; exit 1; }
    new=$(rows "$work/roomy/D1")
    [ "$old" != "$new" ] || { echo "$op changes nothing" >&2; exit 1; }
    for ((k = 0; k < steps; k++)); do
        rm -rf "$mnt/root" "$mnt/filler"
        cp -a "$work/start" "$mnt/root"
        fill $((k * 4))
        err=$($op "$mnt/root/D1" 2>&1 >/dev/null); rc=$?
        rm -f "$mnt/filler"
        grep -qiE 'space|error|denied|descriptor' <<<"$err" && { english=$((english + 1)); echo "$op: $err" >&2; }
        "$cli" open "$mnt/root/D1" >/dev/null 2>&1 || eval "${op}_closed=\$((${op}_closed + 1))"
        now=$(rows "$mnt/root/D1")
        if [ "$now" = "$old" ] && [ "$rc" -eq 2 ]; then
            eval "${op}_refused=\$((${op}_refused + 1))"
        elif [ "$now" = "$new" ] && [ "$rc" -eq 0 ]; then
            eval "${op}_done=\$((${op}_done + 1))"
        elif [ "$now" = "$old" ] || [ "$now" = "$new" ]; then
            eval "${op}_wrong=\$((${op}_wrong + 1))"
            echo "$op: exit $rc with the $([ "$now" = "$old" ] && echo old || echo new) data: $err" >&2
        else
            eval "${op}_mixed=\$((${op}_mixed + 1))"
            echo "$op: exit $rc, mixed data: $err" >&2
        fi
        litter=$(find "$mnt/root" -name '*.tmp-*' -o -name '*.tmp' -o -name Zmena | head -1)
        if [ -n "$litter" ]; then
            eval "${op}_litter=\$((${op}_litter + 1))"
            echo "$op: left $litter" >&2
        fi
    done
done

echo "pdf:     $pdf_ok written, $pdf_refused refused, $pdf_bad wrong, $pdf_litter with litter"
echo "backup:  $backup_ok written, $backup_refused refused, $backup_bad wrong, $backup_litter with litter"
echo "restore: $restore_ok restored, $restore_refused refused, $restore_mixed not undone, $restore_closed not opening"
for op in transfer rollover; do
    eval "echo \"$op: \$${op}_done done, \$${op}_refused refused, \$${op}_mixed mixed, \$${op}_wrong wrongly reported, \$${op}_litter with litter, \$${op}_closed not opening\""
done
echo "English reasons: $english"
[ $((pdf_bad + pdf_litter + backup_bad + backup_litter + restore_mixed + restore_closed + english)) -eq 0 ] &&
    [ $((transfer_mixed + transfer_wrong + transfer_litter + transfer_closed)) -eq 0 ] &&
    [ $((rollover_mixed + rollover_wrong + rollover_litter + rollover_closed)) -eq 0 ]
