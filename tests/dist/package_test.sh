#!/usr/bin/env bash
# The Debian package made from this build: it holds every file an installation needs in its
# place under /usr, its run-time dependencies were computed from the programs' libraries, and
# it is named and versioned as the project. Made in a folder of its own, never installed.
# Arguments: cpack, the build folder, the project's version.
set -euo pipefail
cpack=$1
build=$2
version=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    exit 1
fi
packages=("$work"/zq3-converter_"$version"_*.deb)
if [[ ! -f ${packages[0]} ]]; then
    echo "cpack made no zq3-converter_${version}_*.deb:" >&2
    ls "$work" >&2
    exit 1
fi
package=${packages[0]}
failed=0

dpkg-deb -c "$package" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/files"
for file in \
    /usr/bin/zq3 \
    /usr/bin/zq3-converter \
    /usr/share/zq3-converter/Bitmap/Background.png \
    /usr/share/zq3-converter/Bitmap/Pads64.png \
    /usr/share/zq3-converter/Bitmap/Icon.png \
    /usr/share/zq3-converter/Manual/ZQ-314WaveConverterManualE.pdf \
    /usr/share/zq3-converter/Manual/ZQ-314WaveConverterManualJ.pdf \
    /usr/share/locale/ja/LC_MESSAGES/zq3.mo \
    /usr/share/applications/zq3-converter.desktop \
    /usr/share/icons/hicolor/64x64/apps/zq3-converter.png \
    /usr/share/metainfo/io.github.keldra.zq3converter.metainfo.xml \
    /usr/share/man/man1/zq3.1.gz \
    /usr/share/man/man1/zq3-converter.1.gz \
    /usr/share/man/ja/man1/zq3.1.gz \
    /usr/share/man/ja/man1/zq3-converter.1.gz \
    /usr/share/bash-completion/completions/zq3 \
    /usr/share/zsh/vendor-completions/_zq3 \
    /usr/share/fish/vendor_completions.d/zq3.fish \
    /usr/share/doc/zq3-converter/copyright; do
    if ! grep -qxF "$file" "$work/files"; then
        echo "the package does not hold $file" >&2
        failed=1
    fi
done
# Nothing outside /usr, and nothing of the build folder's own.
if grep -vE '^/$|^/usr(/|$)' "$work/files" >&2; then
    echo "the package holds the files above outside /usr" >&2
    failed=1
fi

field() {
    dpkg-deb -f "$package" "$1"
}
[[ $(field Package) == zq3-converter ]] || { echo "package name: $(field Package)" >&2; failed=1; }
[[ $(field Version) == "$version" ]] || { echo "version: $(field Version)" >&2; failed=1; }
depends=$(field Depends)
for library in 'libsndfile1 ' 'libqt6widgets6' 'libqt6gui6' 'libasound2' 'libc6 ' 'qt6-qpa-plugins'; do
    if [[ "$depends " != *"$library"* ]]; then
        echo "the package's Depends does not name ${library% }: '$depends'" >&2
        failed=1
    fi
done
exit $failed
