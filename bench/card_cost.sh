#!/usr/bin/env bash
# What a change costs on a memory card, where the time goes into flushes and bytes rather than
# into the processor. Runs a single import, a delete and a whole-card import of 128 one-second
# files under strace, counts the flush calls (fsync, fdatasync, syncfs, sync) and the bytes
# written to files inside the card folder (the sums of what write, pwrite and their vector
# forms answered on descriptors that lead into the card: samples, information file, journal),
# and models each command on a card that writes 10 MB/s and takes 20 ms a flush, next to the
# ideal: the same bytes and four flushes. Then times `zq3 export` of a long stereo pad against
# `dd conv=fsync` writing and flushing as many bytes to the same disk, in turns.
#
# Usage: bench/card_cost.sh [path/to/zq3]    (default: $ZQ3, else zq3 on the PATH)
# Environment: MINUTES (length of the exported pad, default 10), RUNS (best of, default 3),
#              WORK (scratch folder on the disk to measure; default a new folder in TMPDIR).
#
# Targets: at most 8 flushes for any one command; the whole-card import's modelled time at most
# 1.2 x the ideal; the export at most 1.5 x dd conv=fsync.
set -euo pipefail

source "$(dirname "$0")/timing.sh"
for tool in strace dd; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing (apt-get install $([[ $tool == dd ]] && echo coreutils || echo "$tool"))" >&2
        exit 2
    fi
done

CARD=$WORK/card
KIT=$WORK/kit
make_kit "$KIT"
sox -n -r 44100 -b 16 -c 1 "$WORK/one.wav" synth 1 sine 220

# Runs zq3 with ARGS under strace and sets FLUSHES and BYTES. strace -y names each descriptor's
# file, so only writes into the card folder count; scratch files elsewhere are not the card's.
traced() {
    local log=$WORK/strace.log card_path
    card_path=$(realpath "$CARD")
    rm -f "$log".*
    # One log per thread, so that no call is split across lines by another thread's.
    strace -ff -y -qq -o "$log" \
        -e trace=fsync,fdatasync,syncfs,sync,write,pwrite64,writev,pwritev,pwritev2 \
        "$ZQ3" "$@" >/dev/null
    FLUSHES=$(cat "$log".* | grep -cE '^(fsync|fdatasync|syncfs|sync)\(' || true)
    BYTES=$(awk -v card="$card_path/" '
        /(write|pwrite64|writev|pwritev|pwritev2)\([0-9]+</ {
            path = $0
            sub(/^[^<]*</, "", path)
            sub(/>.*/, "", path)
            if (index(path, card) == 1 && match($0, /= [0-9]+$/)) {
                total += substr($0, RSTART + 2)
            }
        }
        END { print total + 0 }' "$log".*)
}

declare -A FLUSH_COUNT BYTE_COUNT
measure() {
    local name=$1
    shift
    traced "$@"
    FLUSH_COUNT[$name]=$FLUSHES
    BYTE_COUNT[$name]=$BYTES
}

mkdir -p "$CARD"
"$ZQ3" init "$CARD" >/dev/null
measure "import one file" import "$CARD" D0 "$WORK/one.wav" --yes --quiet
measure "delete one pad" delete "$CARD" D0 --yes --quiet
measure "import 128 files" import "$CARD" C0 "$KIT" --yes --quiet

echo "card model: 10 MB/s, 20 ms a flush; ideal = the same bytes and 4 flushes"
printf "%-18s %8s %12s %10s %10s %7s\n" command flushes "card bytes" "model s" "ideal s" ratio
for name in "import one file" "delete one pad" "import 128 files"; do
    awk -v name="$name" -v f="${FLUSH_COUNT[$name]}" -v b="${BYTE_COUNT[$name]}" 'BEGIN {
        model = b / 10e6 + f * 0.020
        ideal = b / 10e6 + 4 * 0.020
        printf "%-18s %8d %12d %10.3f %10.3f %7.2f\n", name, f, b, model, ideal, model / ideal
    }'
done
echo "targets: at most 8 flushes a command; import of 128 files at most 1.20 x ideal"

# Export of a long stereo pad against dd writing and flushing as many bytes, taking turns.
echo "making a ${MINUTES}-minute stereo pad"
sox -n -r 44100 -b 16 -c 2 "$WORK/long.wav" synth $((MINUTES * 60)) sine 220 pinknoise vol 0.5
"$ZQ3" import "$CARD" J15 "$WORK/long.wav" --yes --quiet
"$ZQ3" export "$CARD" J15 "$WORK/out.wav" --quiet
SIZE=$(stat -c %s "$WORK/out.wav")
# Both take about a tenth of a second, where /usr/bin/time's hundredths are too coarse.
timed_once() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null
    WALL=$(awk -v s="$start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%.4f", e - s }')
    PEAK=0
}
for ((round = 0; round < RUNS; round++)); do
    rm -f "$WORK/out.wav" "$WORK/dd.bin"
    timed_once "$ZQ3" export "$CARD" J15 "$WORK/out.wav" --quiet
    keep export
    # The same bytes in 1 MiB blocks, then one fsync, as the export's own final flush.
    timed_once dd if=/dev/zero of="$WORK/dd.bin" bs=1M count="$SIZE" iflag=count_bytes conv=fsync status=none
    keep dd
done
awk -v e="${BEST[export]}" -v d="${BEST[dd]}" -v s="$SIZE" -v runs="$RUNS" -v m="$MINUTES" 'BEGIN {
    printf "export of %d minutes of stereo (%d bytes): %.3f s; dd conv=fsync %.3f s; ratio %.2f (target <= 1.50), best of %d in turns\n", m, s, e, d, e / d, runs
}'
