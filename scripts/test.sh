#!/usr/bin/env bash
# Installs what is missing, builds, then runs the whole test suite.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh
# pdf.js, for tests only: where Firefox's viewer takes the book's links.
if [[ ! -d tests/viewers/node_modules/pdfjs-dist ]] && command -v npm > /dev/null; then
    (cd tests/viewers && npm ci --no-audit --no-fund --loglevel=error) ||
        echo "test: pdf.js could not be installed; links are checked in Poppler and MuPDF only" >&2
fi
bash scripts/build.sh

# Tests need no screen; they also set this themselves.
export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir build --output-on-failure || status=$?
bash scripts/check-package.sh || status=$?

# The same suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUIREFOLD_SANITIZE=ON > /dev/null
cmake --build build-asan -j"$(nproc)"
ctest --test-dir build-asan --output-on-failure || status=$?
exit "$status"
