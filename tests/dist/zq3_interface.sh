# What zq3 says it takes, read from its own help, for the tests of what describes it (the manual
# pages, the shell completion): source this file, then
#   zq3_commands ZQ3            its commands, one a line
#   zq3_options ZQ3 COMMAND     the options COMMAND's help lists, one a line (--yes, -y...)

zq3_commands() {
    "$1" help --lang en | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z]*\) .*/\1/p'
}

zq3_options() {
    local help
    help=$("$1" help "$2" --lang en)
    grep -E '^ +-' <<<"$help" | grep -oE '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u || true
}
