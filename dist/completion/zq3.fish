# fish completion for zq3: its commands, their options, pad and bank names where a command takes
# them, cards (folders) and sound files by the extensions the converter reads.

set -l zq3_commands info init import export delete play move copy swap history undo redo backup \
    restore check repair convert slices help

# The arguments typed so far that are neither options nor option values: the command first.
function __zq3_arguments
    set -l words (commandline -opc)
    set -e words[1]
    set -l arguments
    set -l skip 0
    for word in $words
        if test $skip -eq 1
            set skip 0
        else if contains -- $word --lang --format --ring-buffer-time --device-buffer-time --fade-in \
                --fade-out --fade-shape --start --end --slices --max --sensitivity
            set skip 1
        else if not string match -q -- '-*' $word
            set -a arguments $word
        end
    end
    printf '%s\n' $arguments
end

# Whether the command is $argv[1] and the word being completed is its argument number $argv[2]
# (1 the first after the command; "n+" that one or any after it).
function __zq3_at
    set -l arguments (__zq3_arguments)
    test "$arguments[1]" = $argv[1]; or return 1
    set -l position (count $arguments)
    if string match -q -- '*+' $argv[2]
        test $position -ge (string trim -r -c + -- $argv[2])
    else
        test $position -eq $argv[2]
    end
end

function __zq3_banks
    set -l banks C D E F G H I J
    string match -qr -- '^[c-j]' (commandline -ct); and set banks (string lower -- $banks)
    printf '%s\tbank\n' $banks
end

# Pads C0 to J15 once a bank letter is typed (the D05 form an export gives as well), the bank
# letters before: 128 pads are too many to read.
function __zq3_pads
    set -l word (commandline -ct)
    if test -z "$word"
        __zq3_banks
        return
    end
    set -l pads
    for bank in C D E F G H I J
        for pad in (seq 0 15)
            set -a pads $bank$pad
        end
        if test (string sub -s 2 -l 1 -- $word) = 0
            for pad in (seq 0 9)
                set -a pads {$bank}0$pad
            end
        end
    end
    string match -qr -- '^[c-j]' $word; and set pads (string lower -- $pads)
    printf '%s\tpad\n' $pads
end

# Files whose extension (in any case) is one of $argv, and folders to reach them.
function __zq3_files
    set -l pattern (string join '|' -- $argv)
    for candidate in (__fish_complete_path (commandline -ct))
        set -l path (string split -f1 \t -- $candidate)
        if test -d $path; or string match -qri -- "\.($pattern)\$" $path
            echo $path
        end
    end
end

function __zq3_card_sounds
    __zq3_files wav aif aiff
end

function __zq3_all_sounds
    __zq3_files wav wave aif aiff aifc flac ogg oga opus mp3 w64 rf64 caf au snd
end

# Whether the second card of a move or copy was given: its third argument is no pad or bank.
function __zq3_second_card_given
    set -l arguments (__zq3_arguments)
    test (count $arguments) -ge 4; or return 1
    not string match -qri -- '^[c-j]([0-9]|0[0-9]|1[0-5])?$' $arguments[4]
end

complete -c zq3 -f
complete -c zq3 -l lang -x -a 'en ja' -d 'Language of the messages'
complete -c zq3 -s h -l help -d 'Show the help'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -l version -d 'Show the version'

complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a info -d 'Show what the card holds'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a init -d 'Make an empty card in a folder'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a import -d 'Put files onto pads'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a export -d 'Write pads to files'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a delete -d 'Empty a pad'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a play -d 'Listen to a pad or a file'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a move -d 'Move pads or banks'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a copy -d 'Copy pads, also to another card'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a swap -d 'Trade two pads or banks'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a history -d 'List the changes kept of the card'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a undo -d 'Take back the last change of the card'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a redo -d 'Make again the change undo took back'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a backup -d 'Write the card into a tar file'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a restore -d 'Put a backup back byte for byte'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a check -d 'Report what does not agree'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a repair -d 'Mend a damaged card'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a convert -d 'Convert a file to 16-bit 44.1 kHz'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a slices -d 'Show where a file would be cut'
complete -c zq3 -n "not __fish_seen_subcommand_from $zq3_commands" -a help -d "Show a command's help"

# The options of each command.
complete -c zq3 -n '__fish_seen_subcommand_from info' -l json -d 'Every slot as JSON'
complete -c zq3 -n '__fish_seen_subcommand_from import' -l convert -d 'Convert files the card does not take as they are'
complete -c zq3 -n '__fish_seen_subcommand_from import convert' -l mono -d 'Mix stereo down to mono'
complete -c zq3 -n '__fish_seen_subcommand_from import convert' -l normalize -d 'Scale the peak to DB dBFS (--normalize=DB)'
complete -c zq3 -n '__fish_seen_subcommand_from import convert' -l trim -d 'Cut silence below DB dBFS at both ends (--trim=DB)'
complete -c zq3 -n '__fish_seen_subcommand_from import convert' -l fade-in -x -d 'Fade in over MS milliseconds'
complete -c zq3 -n '__fish_seen_subcommand_from import convert' -l fade-out -x -d 'Fade out over MS milliseconds'
complete -c zq3 -n '__fish_seen_subcommand_from import convert' -l fade-shape -x -a 'linear power' -d 'The shape of the fades'
complete -c zq3 -n '__fish_seen_subcommand_from import convert' -l pad -d 'Extend a sound shorter than 70 ms with silence'
complete -c zq3 -n '__fish_seen_subcommand_from import convert' -l start -x -d 'Take the sound from TIME on'
complete -c zq3 -n '__fish_seen_subcommand_from import convert' -l end -x -d 'Take the sound up to TIME'
complete -c zq3 -n '__fish_seen_subcommand_from import slices' -l slices -x -a onsets -d 'N equal slices, or one from each hit on'
complete -c zq3 -n '__fish_seen_subcommand_from import slices' -l max -x -d 'With onsets, keep at most N slices'
complete -c zq3 -n '__fish_seen_subcommand_from import slices' -l sensitivity -x -d 'With onsets, 0 to 100: the higher, the softer the hits found'
complete -c zq3 -n '__fish_seen_subcommand_from slices' -l json -d 'The slices as JSON'
complete -c zq3 -n '__fish_seen_subcommand_from history' -l json -d 'The changes as JSON'
complete -c zq3 -n '__fish_seen_subcommand_from import delete move copy repair convert restore' -s y -l yes -d 'Replace or go ahead without asking'
complete -c zq3 -n '__fish_seen_subcommand_from import export delete move copy swap convert backup restore undo redo' -s q -l quiet -d 'Print nothing on success'
complete -c zq3 -n '__fish_seen_subcommand_from import delete move copy swap restore undo redo' -l no-verify -d 'Do not read what was written back'
complete -c zq3 -n '__fish_seen_subcommand_from export' -l format -x -a 'wav aiff' -d 'File format'
complete -c zq3 -n '__fish_seen_subcommand_from convert backup' -l force -d 'Replace an existing file'
complete -c zq3 -n '__fish_seen_subcommand_from play' -l ring-buffer-time -x -d 'Seconds read ahead'
complete -c zq3 -n '__fish_seen_subcommand_from play' -l device-buffer-time -x -d 'Seconds of one sound-card buffer'

# Their arguments.
complete -c zq3 -n '__zq3_at help 1' -a "$zq3_commands"
for command in info init import export delete move copy swap history undo redo backup restore \
        check repair
    complete -c zq3 -n "__zq3_at $command 1" -a '(__fish_complete_directories)'
end
complete -c zq3 -n '__zq3_at info 2' -a '(__zq3_banks)'
complete -c zq3 -n '__zq3_at delete 2' -a '(__zq3_pads)'
complete -c zq3 -n '__zq3_at import 2; or __zq3_at export 2' -a '(__zq3_banks; __zq3_pads; echo all)'
complete -c zq3 -n '__zq3_at import 3+; and not __fish_seen_argument -l convert' -a '(__zq3_card_sounds)'
complete -c zq3 -n '__zq3_at import 3+; and __fish_seen_argument -l convert' -a '(__zq3_all_sounds)'
complete -c zq3 -n '__zq3_at export 3' -a '(__zq3_card_sounds)'
complete -c zq3 -n '__zq3_at move 2; or __zq3_at copy 2; or __zq3_at swap 2; or __zq3_at swap 3' -a '(__zq3_banks; __zq3_pads)'
complete -c zq3 -n '__zq3_at move 3; or __zq3_at copy 3' -a '(__zq3_banks; __zq3_pads; __fish_complete_directories)'
complete -c zq3 -n 'begin; __zq3_at move 4; or __zq3_at copy 4; end; and __zq3_second_card_given' -a '(__zq3_banks; __zq3_pads)'
complete -c zq3 -n '__zq3_at play 1' -a '(__zq3_card_sounds)'
complete -c zq3 -n '__zq3_at play 2' -a '(__zq3_pads)'
complete -c zq3 -n '__zq3_at backup 2; or __zq3_at restore 2' -a '(__zq3_files tar)'
complete -c zq3 -n '__zq3_at slices 1' -a '(__zq3_all_sounds)'
complete -c zq3 -n '__zq3_at convert 1' -a '(__zq3_all_sounds)'
complete -c zq3 -n '__zq3_at convert 2' -a '(__zq3_card_sounds)'
