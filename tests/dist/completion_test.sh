#!/usr/bin/env bash
# The shell completion of zq3: each script loads in its shell, and bash and fish offer every
# command and every option zq3's own help lists, pad and bank names where they belong, and the
# sound files a command reads.
# Arguments: zq3, the folder of the completion scripts.
set -euo pipefail
zq3=$1
scripts=$2
. "$(dirname "$0")/zq3_interface.sh"
failed=0
fail() {
    echo "$*" >&2
    failed=1
}

bash_completion=/usr/share/bash-completion/bash_completion
if [[ ! -f $bash_completion ]]; then
    echo "missing $bash_completion (Debian package: bash-completion; scripts/install-deps --tests installs it)" >&2
    exit 1
fi
bash -n "$scripts/zq3.bash" || fail "bash cannot read zq3.bash"
zsh -n "$scripts/_zq3" || fail "zsh cannot read _zq3"
fish --no-execute "$scripts/zq3.fish" || fail "fish cannot read zq3.fish"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/card" "$work/kit"
touch "$work/kit/kick.wav" "$work/kit/snare.AIF" "$work/kit/take.flac" "$work/kit/notes.txt"
cd "$work"

# What bash's completion offers for a line ending where the cursor is, sorted, one a line.
bash_offers() {
    bash -c '
        source "$1"
        source "$2"
        line=$3
        read -ra COMP_WORDS <<<"$line"
        [[ $line == *" " ]] && COMP_WORDS+=("")
        COMP_LINE=$line COMP_POINT=${#line} COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMPREPLY=()
        _zq3 zq3 "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"' bash "$bash_completion" "$scripts/zq3.bash" "$1" | sort -u
}

fish_offers() {
    fish -c 'source $argv[1]; complete -C $argv[2]' "$scripts/zq3.fish" "$1" | cut -f1 | sort -u
}

# expect SHELL LINE WORD...: SHELL offers exactly WORD... for LINE.
expect() {
    local shell=$1 line=$2
    shift 2
    local offered expected
    offered=$("${shell}_offers" "$line")
    expected=$(printf '%s\n' "$@" | sort -u)
    [[ $offered == "$expected" ]] ||
        fail "$shell offers for '$line': $(echo $offered), not: $(echo $expected)"
}

# expect_among SHELL LINE WORD...: SHELL offers at least WORD... for LINE.
expect_among() {
    local shell=$1 line=$2 word offered
    shift 2
    offered=$("${shell}_offers" "$line")
    for word in "$@"; do
        grep -qxF -- "$word" <<<"$offered" || fail "$shell does not offer $word for '$line'"
    done
}

interface=$(zq3_interface "$zq3")
[[ -n $interface ]] || { echo "$zq3 help lists no command" >&2; exit 1; }
for shell in bash fish; do
    expect $shell "zq3 imp" import
    expect $shell "zq3 info card " C D E F G H I J
    expect $shell "zq3 delete card d1" d1 d10 d11 d12 d13 d14 d15
    expect $shell "zq3 import card D0 kit/" kit/kick.wav kit/snare.AIF
    expect $shell "zq3 import card D0 --convert kit/" kit/kick.wav kit/snare.AIF kit/take.flac
    expect $shell "zq3 export card D5 x --format " wav aiff
    expect_among $shell "zq3 " $(cut -d' ' -f1 <<<"$interface")
    while read -r command options; do
        [[ -z $options ]] || expect_among $shell "zq3 $command card -" $options
    done <<<"$interface"
done
exit $failed
