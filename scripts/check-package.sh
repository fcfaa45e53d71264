#!/usr/bin/env bash
# Makes the Debian package in build/ and checks it: lintian finds no error, and it holds every file
# a desktop install needs. (The desktop entry, the metadata and the manual pages are validated by
# the test suite.)
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/../build"
rm -f quirefold_*.deb
cpack -G DEB > /dev/null 2>&1
deb="$(ls quirefold_*.deb)"
if ! said="$(lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1)"; then
    echo "$said" >&2
    echo "check-package: lintian found errors" >&2
    exit 1
fi
contents="$(dpkg-deb -c "$deb")"
for path in ./usr/bin/quirefold ./usr/bin/quirefold-batch ./usr/bin/quirefold-open \
    ./usr/libexec/quirefold/quirefold-libreoffice.so ./usr/libexec/quirefold/empty_page.pdf \
    ./usr/share/quirefold/translations/quirefold_de.qm \
    ./usr/share/applications/net.tallowmere.quirefold.desktop \
    ./usr/share/metainfo/net.tallowmere.quirefold.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/net.tallowmere.quirefold.svg \
    ./usr/share/icons/hicolor/16x16/apps/net.tallowmere.quirefold.png \
    ./usr/share/icons/hicolor/256x256/apps/net.tallowmere.quirefold.png \
    ./usr/share/man/man1/quirefold.1.gz ./usr/share/man/man1/quirefold-batch.1.gz \
    ./usr/share/bash-completion/completions/quirefold-batch; do
    grep -q " $path\( ->\|$\)" <<<"$contents" || { echo "check-package: $deb lacks $path" >&2; exit 1; }
done
echo "check-package: $deb is complete and lintian-clean"
