# Shared by the benchmark scripts (sourced, not run): finds zq3 and the tools, makes the scratch
# folder, and times commands.
#
# After sourcing: ZQ3, MINUTES, RUNS and WORK are set, `made` lists what to remove at exit, and
#   run_once CMD...   runs CMD once; sets WALL (wall clock seconds) and PEAK (largest resident
#                     set, KiB)
#   keep NAME         keeps the best WALL and the largest PEAK under NAME in BEST and PEAK_KIB
#   make_kit DIR      fills DIR with 128 one-second WAV files, mono and stereo in turn: a whole
#                     card's batch

ZQ3=${1:-${ZQ3:-$(command -v zq3 || true)}}
MINUTES=${MINUTES:-10}
RUNS=${RUNS:-3}
if [[ -z "$ZQ3" || ! -x "$ZQ3" ]]; then
    echo "zq3 not found: give its path as the first argument or in ZQ3" >&2
    exit 2
fi
for tool in sox /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing (apt-get install sox time)" >&2
        exit 2
    fi
done

# What the script made for itself goes when it ends.
made=()
trap 'rm -rf "${made[@]}"' EXIT
if [[ -n "${WORK:-}" ]]; then
    mkdir -p "$WORK"
else
    WORK=$(mktemp -d)
    made+=("$WORK")
fi

run_once() {
    local log=$WORK/time.log
    /usr/bin/time -v -o "$log" "$@" >/dev/null
    WALL=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$log" |
        awk -F: '{ if (NF == 3) print $1 * 3600 + $2 * 60 + $3; else print $1 * 60 + $2 }')
    PEAK=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")
}

declare -A BEST PEAK_KIB
keep() {
    local name=$1
    if [[ -z "${BEST[$name]:-}" ]] || awk "BEGIN { exit !($WALL < ${BEST[$name]}) }"; then
        BEST[$name]=$WALL
    fi
    if ((PEAK > ${PEAK_KIB[$name]:-0})); then
        PEAK_KIB[$name]=$PEAK
    fi
}

make_kit() {
    local kit=$1 i
    mkdir -p "$kit"
    sox -n -r 44100 -b 16 -c 1 -t wav "$kit/.mono" synth 1 sine 220
    sox -n -r 44100 -b 16 -c 2 -t wav "$kit/.stereo" synth 1 sine 220 pinknoise
    for ((i = 0; i < 128; i++)); do
        if ((i % 2 == 0)); then
            cp "$kit/.mono" "$kit/hit$i.wav"
        else
            cp "$kit/.stereo" "$kit/hit$i.wav"
        fi
    done
    rm "$kit/.mono" "$kit/.stereo"
}
