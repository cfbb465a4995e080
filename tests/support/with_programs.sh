#!/usr/bin/env bash
# Runs a test only when the outside programs it needs are here; otherwise fails with one line that
# names the first missing program and the Debian package that brings it.
#   with_programs.sh PROGRAM:PACKAGE... -- COMMAND ARGS...
set -euo pipefail
while [[ $# -gt 0 && $1 != -- ]]; do
    program=${1%%:*}
    package=${1#*:}
    if ! command -v "$program" >/dev/null 2>&1; then
        echo "missing program: $program (Debian package: $package; scripts/install-deps --tests installs it)" >&2
        exit 1
    fi
    shift
done
[[ $# -gt 0 ]] && shift
exec "$@"
