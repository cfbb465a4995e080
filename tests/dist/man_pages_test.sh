#!/usr/bin/env bash
# The manual pages render at 80 columns without a single warning from man or groff, and zq3's
# pages, English and Japanese, describe every command and option zq3's own help lists.
# Arguments: zq3, the folder of the rendered pages (en/ and ja/ holding NAME.1.gz).
set -euo pipefail
zq3=$1
pages=$2
. "$(dirname "$0")/zq3_interface.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for page in "$pages"/{en,ja}/{zq3,zq3-converter}.1.gz; do
    text=$work/$(basename "$(dirname "$page")")-$(basename "$page" .1.gz).txt
    if ! MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings=w -l "$page" >"$text" 2>"$work/warnings" ||
        [[ -s $work/warnings ]]; then
        echo "man warns about $page:" >&2
        cat "$work/warnings" >&2
        failed=1
    fi
    if ! zcat "$page" | groff -ww -k -man -Tutf8 -z 2>"$work/warnings" || [[ -s $work/warnings ]]; then
        echo "groff warns about $page:" >&2
        cat "$work/warnings" >&2
        failed=1
    fi
    if [[ $(wc -l <"$text") -lt 20 ]]; then
        echo "$page renders to almost nothing" >&2
        failed=1
    fi
done

interface=$(zq3_interface "$zq3")
[[ -n $interface ]] || { echo "$zq3 help lists no command" >&2; exit 1; }
for language in en ja; do
    text=$work/$language-zq3.txt
    while read -r command options; do
        # Each command has a subsection of its own, headed by its name.
        if ! grep -qx "   $command" "$text"; then
            echo "the $language page zq3(1) has no section on the command $command" >&2
            failed=1
        fi
        for option in $options; do
            if ! grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" "$text"; then
                echo "the $language page zq3(1) does not name $command's option $option" >&2
                failed=1
            fi
        done
    done <<<"$interface"
done
exit $failed
