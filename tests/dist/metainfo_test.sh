#!/usr/bin/env bash
# The AppStream description of the desktop program: valid for appstreamcli, its newest release
# is the project's version, it launches the desktop entry that is installed, and each of its
# screenshots is one the desktop tests take.
# Arguments: the metainfo file, the project's version, the source folder.
set -euo pipefail
metainfo=$1
version=$2
source=$3
failed=0

appstreamcli validate --no-net "$metainfo" || failed=1

newest=$(grep -oE '<release version="[^"]+"' "$metainfo" | head -n 1 | cut -d'"' -f2)
if [[ $newest != "$version" ]]; then
    echo "the newest release in $metainfo is '$newest', the project's version $version" >&2
    failed=1
fi

desktop_id=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
if [[ ! -f $source/desktop/$desktop_id ]]; then
    echo "$metainfo launches '$desktop_id', which is not desktop/$desktop_id" >&2
    failed=1
fi

screenshots=$(grep -oE '/screenshots/[^<]+\.png' "$metainfo" | sed 's|.*/||; s|\.png$||')
if [[ -z $screenshots ]]; then
    echo "$metainfo shows no screenshot" >&2
    failed=1
fi
for name in $screenshots; do
    # A test names its picture whole, or without the language it adds ("open_dialog" + "_en").
    if ! grep -rqE "\"($name|${name%_[a-z][a-z]})\"" "$source/tests/desktop"; then
        echo "no desktop test takes the screenshot $name.png that $metainfo shows" >&2
        failed=1
    fi
done
exit $failed
