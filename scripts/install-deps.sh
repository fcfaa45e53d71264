#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Quirefold need.
# Only missing packages are fetched, so a second run is quick and needs no network.
set -euo pipefail

packages=(
    # Compiler and build tools.
    build-essential cmake pkg-config
    # Qt 6 widgets, the OpenGL headers its CMake files ask for, and the desktop's window plugins.
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins
    # Drawing the icon's sizes from its SVG at build time.
    qt6-svg-dev
    # Translations: lupdate and lrelease with their CMake package, and Qt's own translations.
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
    # PDF joining and bookmarks; the command-line tools check results in tests.
    libqpdf-dev qpdf poppler-utils
    # Checking that the sources' compressed streams inflate, quickly.
    libdeflate-dev
    # Digests of the sources' streams, so that each is kept once in the book.
    libssl-dev
    # Setting the index and page numbers in an embedded subset of DejaVu Sans (fonts-dejavu-core).
    libharfbuzz-dev
    # A second renderer: tests check that books show in MuPDF without warnings.
    mupdf-tools
    # Poppler's own link lookup, which tests ask through its GObject bindings.
    gir1.2-poppler-0.18 python3-gi
    # Checking the desktop entry, the AppStream metadata and the manual pages.
    desktop-file-utils appstream groff-base
    # Making the Debian package and checking it.
    dpkg-dev lintian
    # The programs' memory allocator: qpdf makes and frees many small objects on several threads.
    libjemalloc-dev
    # The beep on a finished run.
    libcanberra-dev
    # Benchmarks.
    libbenchmark-dev
    # A screen for tests and screenshots without a desktop.
    xvfb xauth x11-apps imagemagick
    # Fonts, so documents and the window look the same everywhere.
    fonts-liberation2 fonts-dejavu-core
    # Printing .doc files to PDF.
    libreoffice-writer-nogui libreoffice-dev ghostscript
    # Making scanned pages searchable; img2pdf makes tests' scans.
    ocrmypdf tesseract-ocr-eng img2pdf
    # Timing whole-program runs and their peak memory; tests look for stray processes with pgrep.
    hyperfine time procps
)

missing=()
for pkg in "${packages[@]}"; do
    # dpkg-query fails for packages it has never heard of; treat that as missing too.
    status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
    if [[ "$status" != "install ok installed" ]]; then
        missing+=("$pkg")
    fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "install-deps: all ${#packages[@]} packages are installed."
    exit 0
fi

if [[ "$(id -u)" -ne 0 ]]; then
    echo "install-deps: these packages are missing: ${missing[*]}" >&2
    echo "install-deps: install them as root, for example:" >&2
    echo "    sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    echo "or run this script with sudo: sudo bash scripts/install-deps.sh" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
