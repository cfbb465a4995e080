#!/usr/bin/env bash
# Fails when a text of the core or of zq3 has no translation: each catalogue file must translate
# every text the sources mark (po/extract.sh), none of them fuzzy or empty.
#   check_catalogues.sh WORK_FOLDER
set -euo pipefail
po_dir=$(cd "$(dirname "$0")/../../po" && pwd)
work=$1
mkdir -p "$work"
"$po_dir/extract.sh" "$work/zq3.pot"
status=0
for po in "$po_dir"/*.po; do
    # msgcmp names each text that is missing, empty or fuzzy in the catalogue file.
    msgcmp "$po" "$work/zq3.pot" || status=1
    msgfmt --check -o /dev/null "$po" || status=1
done
exit $status
