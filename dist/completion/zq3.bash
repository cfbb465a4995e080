# bash completion for zq3: its commands, their options, pad and bank names where a command takes
# them, cards (folders) and sound files by the extensions the converter reads.

# The files the card takes as they are, and every sound file a conversion reads.
_zq3_card_sounds='wav|aif|aiff'
_zq3_all_sounds='wav|wave|aif|aiff|aifc|flac|ogg|oga|opus|mp3|w64|rf64|caf|au|snd'
_zq3_commands='info init import export delete play move copy swap history undo redo backup restore
    check repair convert slices help'
# The options whose value is the next word.
_zq3_valued_options='--lang --format --ring-buffer-time --device-buffer-time --fade-in --fade-out
    --fade-shape --start --end --slices --max --sensitivity'

# Pad names C0 to J15 in the case the word was begun in, and the D05 form an export gives once the
# word is that far. Before a bank letter is typed, the bank letters alone: 128 pads are too many
# to read.
_zq3_pads() {
    local bank pad names=()
    if [[ -z $1 ]]; then
        compopt -o nospace 2>/dev/null
        COMPREPLY+=(C D E F G H I J)
        return
    fi
    for bank in C D E F G H I J; do
        for pad in {0..15}; do
            names+=("$bank$pad")
        done
        if [[ ${1:1:1} == 0 ]]; then
            for pad in {0..9}; do
                names+=("${bank}0$pad")
            done
        fi
    done
    if [[ $1 == [c-j]* ]]; then
        names=("${names[@],,}")
    fi
    COMPREPLY+=($(compgen -W "${names[*]}" -- "$1"))
}

_zq3_banks() {
    local banks='C D E F G H I J'
    [[ $1 == [c-j]* ]] && banks=${banks,,}
    COMPREPLY+=($(compgen -W "$banks" -- "$1"))
}

# Where a whole bank is taken as well as a pad.
_zq3_pads_or_banks() {
    _zq3_banks "$1"
    [[ -n $1 ]] && _zq3_pads "$1"
}

# Whether a word names a pad or a bank rather than a folder.
_zq3_is_pad_or_bank() {
    [[ ${1^^} =~ ^[C-J]([0-9]|0[0-9]|1[0-5])?$ ]]
}

_zq3() {
    local cur prev words cword
    _init_completion || return

    # The values of the options that take one: those that have a fixed few, none for a number.
    case $prev in
    --lang)
        COMPREPLY=($(compgen -W 'en ja' -- "$cur"))
        return
        ;;
    --format)
        COMPREPLY=($(compgen -W 'wav aiff' -- "$cur"))
        return
        ;;
    --fade-shape)
        COMPREPLY=($(compgen -W 'linear power' -- "$cur"))
        return
        ;;
    --slices)
        COMPREPLY=($(compgen -W 'onsets' -- "$cur"))
        return
        ;;
    --ring-buffer-time | --device-buffer-time | --fade-in | --fade-out | --start | --end | --max | \
        --sensitivity)
        return
        ;;
    esac

    # The words that are neither options nor option values: the command and its arguments.
    local i word command='' converting='' arguments=()
    for ((i = 1; i < cword; i++)); do
        word=${words[i]}
        if [[ " ${_zq3_valued_options//$'\n'/ } " == *" $word "* ]]; then
            ((i++))
            continue
        fi
        case $word in
        --convert) converting=yes ;;
        -*) ;;
        *)
            if [[ -z $command ]]; then
                command=$word
            else
                arguments+=("$word")
            fi
            ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help --version --lang' -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$_zq3_commands" -- "$cur"))
        fi
        return
    fi

    if [[ $cur == -* ]]; then
        local options='--help -h --lang'
        # What a conversion does to the sound on the way.
        local processing='--mono --normalize --trim --fade-in --fade-out --fade-shape --pad --start
            --end'
        case $command in
        info) options+=' --json' ;;
        import) options+=" --convert --yes -y --quiet -q --no-verify $processing --slices --max
            --sensitivity" ;;
        export) options+=' --format --quiet -q' ;;
        delete | move | copy | restore) options+=' --yes -y --quiet -q --no-verify' ;;
        swap | undo | redo) options+=' --quiet -q --no-verify' ;;
        history) options+=' --json' ;;
        repair) options+=' --yes -y' ;;
        convert) options+=" --force --yes -y --quiet -q $processing" ;;
        backup) options+=' --force --quiet -q' ;;
        slices) options+=' --slices --max --sensitivity --json' ;;
        play) options+=' --ring-buffer-time --device-buffer-time' ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    local position=${#arguments[@]}
    case $command in
    help)
        ((position == 0)) && COMPREPLY=($(compgen -W "$_zq3_commands" -- "$cur"))
        ;;
    init | check | repair | history | undo | redo)
        ((position == 0)) && _filedir -d
        ;;
    backup | restore)
        case $position in
        0) _filedir -d ;;
        1) _filedir tar ;;
        esac
        ;;
    slices)
        ((position == 0)) && _filedir "@($_zq3_all_sounds)"
        ;;
    info)
        case $position in
        0) _filedir -d ;;
        1) _zq3_banks "$cur" ;;
        esac
        ;;
    delete)
        case $position in
        0) _filedir -d ;;
        1) _zq3_pads "$cur" ;;
        esac
        ;;
    import)
        case $position in
        0) _filedir -d ;;
        1)
            _zq3_pads_or_banks "$cur"
            COMPREPLY+=($(compgen -W 'all' -- "$cur"))
            ;;
        *)
            if [[ -n $converting ]]; then
                _filedir "@($_zq3_all_sounds)"
            else
                _filedir "@($_zq3_card_sounds)"
            fi
            ;;
        esac
        ;;
    export)
        case $position in
        0) _filedir -d ;;
        1)
            _zq3_pads_or_banks "$cur"
            COMPREPLY+=($(compgen -W 'all' -- "$cur"))
            ;;
        2) _filedir "@($_zq3_card_sounds)" ;;
        esac
        ;;
    move | copy)
        case $position in
        0) _filedir -d ;;
        1)
            _zq3_pads_or_banks "$cur"
            ;;
        2)
            # TO, or the second card.
            _zq3_pads_or_banks "$cur"
            _filedir -d
            ;;
        3)
            _zq3_is_pad_or_bank "${arguments[2]}" || {
                _zq3_pads_or_banks "$cur"
            }
            ;;
        esac
        ;;
    swap)
        case $position in
        0) _filedir -d ;;
        1 | 2)
            _zq3_pads_or_banks "$cur"
            ;;
        esac
        ;;
    play)
        case $position in
        0) _filedir "@($_zq3_card_sounds)" ;; # a card folder, or a file to play
        1) [[ -d ${arguments[0]} ]] && _zq3_pads "$cur" ;;
        esac
        ;;
    convert)
        case $position in
        0) _filedir "@($_zq3_all_sounds)" ;;
        1) _filedir "@($_zq3_card_sounds)" ;;
        esac
        ;;
    esac
} && complete -F _zq3 zq3
