#!/usr/bin/env bash
# Configures and builds Quirefold into build/ at the repository's top, wherever it is called from.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIREFOLD_BUILD_BENCH=ON
cmake --build build -j"$(nproc)"
