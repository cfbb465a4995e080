#!/usr/bin/env bash
# The desktop program under a real X server: its window appears with its title, a click on a pad
# and a key press reach it (pad C0 selected, Delete asks, Enter confirms, the pad is emptied), and
# a second start exits 0 while the first keeps running. Run by CTest inside xvfb-run.
# Arguments: the desktop program, zq3.
set -euo pipefail
converter=$1
zq3=$2

work=$(mktemp -d)
first=
trap '[[ -n $first ]] && kill "$first" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config ZQ3_AUDIO_OUT=null
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$XDG_CONFIG_HOME/Keldra"
unset QT_QPA_PLATFORM

# A card with a sample on C0, opened at start-up.
sox -n -r 44100 -b 16 -c 1 "$work/tone.wav" synth 0.5 sine 440
mkdir "$work/card"
"$zq3" init "$work/card" >/dev/null
"$zq3" import "$work/card" C0 "$work/tone.wav" >/dev/null
"$zq3" info "$work/card" | grep -q C0 || { echo "fixture: C0 not filled"; exit 1; }
printf '[Preference]\nVolumeName=%s\nBankId=0\n' "$work/card" \
    >"$XDG_CONFIG_HOME/Keldra/ZQ-314 Wave Converter.ini"

"$converter" &
first=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ZQ-314 WAVE CONVERTER$' | head -1)
[[ -n $window ]] || { echo "no window"; exit 1; }

# Pad 0 sits bottom left of the block: 5 + 3 x (48 + 10) below the block's top at 64, under the
# menu bar; its middle is well inside it whatever the menu bar's height.
# On a loaded machine the window may still be loading the card when it first shows, and an early
# click or key is lost: try again a few times before calling it a failure.
question=
for _ in 1 2 3 4 5; do
    xdotool mousemove --window "$window" 189 293 click 1
    sleep 0.5
    xdotool key Delete
    question=$(timeout 4 xdotool search --sync --onlyvisible --name '^ZQ-314 Wave Converter$' |
        head -1) || true
    [[ -n $question ]] && break
done
[[ -n $question ]] || { echo "Delete asked nothing: the click or the key did not arrive"; exit 1; }
xdotool key Return
for _ in $(seq 50); do
    "$zq3" info "$work/card" | grep -q C0 || break
    sleep 0.2
done
if "$zq3" info "$work/card" | grep -q C0; then
    echo "pad C0 still holds its sample"
    exit 1
fi

# A second start hands over to the first and ends.
timeout 20 "$converter"
kill -0 "$first"

kill -TERM "$first"
wait "$first"
grep -q '^Position=' "$XDG_CONFIG_HOME/Keldra/ZQ-314 Wave Converter.ini"
echo "ok"
