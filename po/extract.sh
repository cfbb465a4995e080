#!/usr/bin/env bash
# Collects the texts of the core and of zq3 into a template: po/extract.sh OUT.pot
# A text is the first argument of Localized(...) or a table entry marked N_(...); its English is
# the key of the catalogue files. The desktop program's texts are Qt's (desktop/translations/).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
out=$1
cd "$source_dir"
find gt platform ul sl card app cli -name '*.cpp' -o -name '*.h' | LC_ALL=C sort |
    xgettext --files-from=- --language=C++ --from-code=UTF-8 --keyword= --keyword=Localized:1 \
        --keyword=N_ --add-location=file --sort-by-file --package-name=zq3 --output="$out"
