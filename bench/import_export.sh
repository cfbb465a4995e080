#!/usr/bin/env bash
# Times zq3 import and export of a 10-minute stereo 16-bit 44.1 kHz file against sox doing the
# nearest comparable work (IMA ADPCM encoding, and decoding that file back to 16-bit PCM), in the
# same run on the same machine; then 128 one-second files imported onto a whole card in one
# command, card and files in a RAM-backed folder; and reports each command's peak memory.
#
# Usage: bench/import_export.sh [path/to/zq3]    (default: $ZQ3, else zq3 on the PATH)
# Environment: MINUTES (default 10), RUNS (best of, default 3), WORK (scratch folder),
#              SHM (RAM-backed folder for the whole-card import, default /dev/shm).
#
# Targets: import at most 0.03 × sox's encoding time, export at most 0.4 × sox's decoding time,
# the whole card in under 3 s, peak memory under 64 MiB in every case.
set -euo pipefail

source "$(dirname "$0")/timing.sh"
IN=$WORK/in.wav
CARD=$WORK/card

echo "making a ${MINUTES}-minute stereo 16-bit 44.1 kHz file"
# A tone on the left and noise on the right: the codec gets both easy and hard material.
sox -n -r 44100 -b 16 -c 2 "$IN" synth $((MINUTES * 60)) sine 220 pinknoise vol 0.5
rm -rf "$CARD" && mkdir -p "$CARD"
"$ZQ3" init "$CARD" >/dev/null

# Each command and its sox counterpart take turns in every round, so that a machine busy with
# other work slows both alike and the ratios stay fair.
for ((round = 0; round < RUNS; round++)); do
    run_once "$ZQ3" import "$CARD" C1 "$IN" --yes
    keep import
    # What reading the new files back from the card costs.
    run_once "$ZQ3" import "$CARD" C1 "$IN" --yes --no-verify
    keep unverified
    run_once sox "$IN" -e ima-adpcm "$WORK/adpcm.wav"
    keep encode
    run_once "$ZQ3" export "$CARD" C1 "$WORK/out.wav"
    keep export
    run_once sox "$WORK/adpcm.wav" -e signed-integer -b 16 "$WORK/decoded.wav"
    keep decode
done
IMPORT_S=${BEST[import]} IMPORT_KIB=${PEAK_KIB[import]}
UNVERIFIED_S=${BEST[unverified]}
SOX_ENCODE_S=${BEST[encode]}
EXPORT_S=${BEST[export]} EXPORT_KIB=${PEAK_KIB[export]}
SOX_DECODE_S=${BEST[decode]}

# The whole card: 128 one-second files, half mono, half stereo, onto C0..J15 in one command.
SHM=${SHM:-/dev/shm}
BATCH=$(mktemp -d "$SHM/zq3-bench.XXXXXX")
made+=("$BATCH")
echo "making 128 one-second files in $BATCH"
make_kit "$BATCH/kit"
mkdir -p "$BATCH/card"
"$ZQ3" init "$BATCH/card" >/dev/null
# Each run replaces the whole card; TMPDIR too is in RAM, as the card is.
for ((round = 0; round < RUNS; round++)); do
    TMPDIR=$BATCH run_once "$ZQ3" import "$BATCH/card" C0 "$BATCH/kit" --yes --quiet
    keep card
done
CARD_S=${BEST[card]} CARD_KIB=${PEAK_KIB[card]}

awk -v is="$IMPORT_S" -v se="$SOX_ENCODE_S" -v es="$EXPORT_S" -v sd="$SOX_DECODE_S" \
    -v im="$IMPORT_KIB" -v em="$EXPORT_KIB" -v cs="$CARD_S" -v cm="$CARD_KIB" -v runs="$RUNS" \
    -v minutes="$MINUTES" -v us="$UNVERIFIED_S" 'BEGIN {
    printf "best of %d rounds taking turns, wall clock; %d minutes of stereo\n", runs, minutes
    printf "import  %7.2f s   sox ADPCM encode %7.2f s   ratio %.3f (target <= 0.030)\n", is, se, is / se
    printf "import without reading the card back (--no-verify) %.2f s: the read-back costs %.2f s\n", us, is - us
    printf "export  %7.2f s   sox ADPCM decode %7.2f s   ratio %.3f (target <= 0.400)\n", es, sd, es / sd
    printf "whole card: 128 one-second files in one import %.2f s (target < 3 s)\n", cs
    printf "peak memory: import %.1f MiB, export %.1f MiB, whole card %.1f MiB (target < 64 MiB)\n", im / 1024, em / 1024, cm / 1024
}'
