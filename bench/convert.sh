#!/usr/bin/env bash
# Times zq3's conversion of a 10-minute 48 kHz 24-bit stereo FLAC file to the card's 16-bit
# 44.1 kHz against sox doing the same work (very-high-quality resampling and TPDF dither), in the
# same run on the same machine: `zq3 convert IN OUT.wav`, and `zq3 import --convert` of the same
# file onto a card; and reports each command's peak memory.
#
# Usage: bench/convert.sh [path/to/zq3]    (default: $ZQ3, else zq3 on the PATH)
# Environment: MINUTES (default 10), RUNS (best of, default 3), WORK (scratch folder).
#
# Targets: convert at most 1.0 × sox's time, import --convert at most 1.2 × sox's time, peak
# memory under 64 MiB in every case.
set -euo pipefail

source "$(dirname "$0")/timing.sh"
IN=$WORK/in.flac
CARD=$WORK/card

echo "making a ${MINUTES}-minute stereo 24-bit 48 kHz FLAC file"
# A tone on the left and noise on the right: the resampler and the dither get both quiet and
# busy material, and FLAC cannot shrink the noise to nothing.
sox -n -r 48000 -b 24 -c 2 "$IN" synth $((MINUTES * 60)) sine 220 pinknoise vol 0.5
rm -rf "$CARD" && mkdir -p "$CARD"
"$ZQ3" init "$CARD" >/dev/null

# The three commands take turns in every round, so that a machine busy with other work slows
# each of them alike and the ratios stay fair.
for ((round = 0; round < RUNS; round++)); do
    # zq3 convert never replaces a file, so each round starts without the outputs.
    rm -f "$WORK/sox.wav" "$WORK/zq3.wav"
    run_once sox "$IN" -b 16 "$WORK/sox.wav" rate -v 44100 dither
    keep sox
    run_once "$ZQ3" convert "$IN" "$WORK/zq3.wav"
    keep convert
    # The conversion's work file goes to TMPDIR, as in everyday use; the card is on the same
    # disk.
    run_once "$ZQ3" import "$CARD" C1 "$IN" --convert --yes --quiet
    keep import
done
SOX_S=${BEST[sox]} SOX_KIB=${PEAK_KIB[sox]}
CONVERT_S=${BEST[convert]} CONVERT_KIB=${PEAK_KIB[convert]}
IMPORT_S=${BEST[import]} IMPORT_KIB=${PEAK_KIB[import]}

awk -v ss="$SOX_S" -v cs="$CONVERT_S" -v is="$IMPORT_S" -v sm="$SOX_KIB" -v cm="$CONVERT_KIB" \
    -v im="$IMPORT_KIB" -v runs="$RUNS" -v minutes="$MINUTES" 'BEGIN {
    printf "best of %d rounds taking turns, wall clock; %d minutes of 48 kHz 24-bit stereo FLAC\n", runs, minutes
    printf "sox rate -v 44100 dither  %7.2f s\n", ss
    printf "zq3 convert               %7.2f s   ratio %.3f (target <= 1.0)\n", cs, cs / ss
    printf "zq3 import --convert      %7.2f s   ratio %.3f (target <= 1.2)\n", is, is / ss
    printf "peak memory: convert %.1f MiB, import --convert %.1f MiB (target < 64 MiB); sox %.1f MiB\n", cm / 1024, im / 1024, sm / 1024
}'
