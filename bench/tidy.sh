#!/usr/bin/env bash
# Times tidying a 10-minute 48 kHz 24-bit stereo FLAC file on the way in against the plain
# conversion of the same file, in the same run on the same machine, with each command's peak
# memory: `zq3 convert --trim` against `zq3 convert`, and `zq3 import --slices 8` (the file
# chopped onto C0 to C7 in one change) against `zq3 import --convert` of the whole file.
#
# Usage: bench/tidy.sh [path/to/zq3]    (default: $ZQ3, else zq3 on the PATH)
# Environment: MINUTES (default 10), RUNS (best of, default 3), WORK (scratch folder).
#
# Targets: trim and chop at most 1.5 × their plain conversion's time, peak memory under 64 MiB.
set -euo pipefail

source "$(dirname "$0")/timing.sh"
IN=$WORK/in.flac
CARD=$WORK/card

echo "making a ${MINUTES}-minute stereo 24-bit 48 kHz FLAC file with a second of silence at each end"
sox -n -r 48000 -b 24 -c 2 "$IN" synth $((MINUTES * 60)) sine 220 pinknoise vol 0.5 pad 1 1
rm -rf "$CARD" && mkdir -p "$CARD"
"$ZQ3" init "$CARD" >/dev/null

# The commands take turns in every round, so that a machine busy with other work slows each of
# them alike and the ratios stay fair.
for ((round = 0; round < RUNS; round++)); do
    rm -f "$WORK/plain.wav" "$WORK/trim.wav"
    run_once "$ZQ3" convert "$IN" "$WORK/plain.wav"
    keep convert
    run_once "$ZQ3" convert "$IN" "$WORK/trim.wav" --trim
    keep trim
    run_once "$ZQ3" import "$CARD" C0 "$IN" --convert --yes --quiet
    keep import
    run_once "$ZQ3" import "$CARD" C0 "$IN" --slices 8 --yes --quiet
    keep chop
done

awk -v cs="${BEST[convert]}" -v ts="${BEST[trim]}" -v is="${BEST[import]}" \
    -v hs="${BEST[chop]}" -v cm="${PEAK_KIB[convert]}" -v tm="${PEAK_KIB[trim]}" \
    -v im="${PEAK_KIB[import]}" -v hm="${PEAK_KIB[chop]}" -v runs="$RUNS" \
    -v minutes="$MINUTES" 'BEGIN {
    printf "best of %d rounds taking turns, wall clock; %d minutes of 48 kHz 24-bit stereo FLAC\n", runs, minutes
    printf "zq3 convert                 %7.2f s   %6.1f MiB\n", cs, cm / 1024
    printf "zq3 convert --trim          %7.2f s   %6.1f MiB   ratio %.3f (target <= 1.5)\n", ts, tm / 1024, ts / cs
    printf "zq3 import --convert        %7.2f s   %6.1f MiB\n", is, im / 1024
    printf "zq3 import --slices 8       %7.2f s   %6.1f MiB   ratio %.3f (target <= 1.5)\n", hs, hm / 1024, hs / is
    printf "target: peak memory < 64 MiB in every case\n"
}'
