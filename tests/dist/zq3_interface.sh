# What zq3 says it takes, read from its own help, for the tests of what describes it (the manual
# pages, the shell completion): source this file, then
#   zq3_interface ZQ3    one line per command: the command, then the options its help lists
#                        (--yes -y...)

zq3_interface() {
    local command help
    for command in $("$1" help --lang en | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z]*\) .*/\1/p'); do
        help=$("$1" help "$command" --lang en)
        echo "$command" $(grep -E '^ +-' <<<"$help" | grep -oE '(^|[ ,])--?[a-z][a-z-]*' |
            tr -d ' ,' | sort -u)
    done
}
