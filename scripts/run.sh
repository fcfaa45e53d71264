#!/usr/bin/env bash
# Installs what is missing, builds, then opens Quirefold on FOLDER (default: the sample folder).
# Usage: bash scripts/run.sh [FOLDER]
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Resolve the folder before leaving the caller's directory, so relative paths still work.
if [[ $# -gt 0 ]]; then
    if [[ ! -d "$1" ]]; then
        echo "run: no such folder: $1" >&2
        exit 1
    fi
    folder="$(cd "$1" && pwd)"
else
    folder="$top/sample"
fi

cd "$top"
bash scripts/install-deps.sh
bash scripts/build.sh

# Quirefold is a desktop window; without a display it cannot show anything.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "run: Quirefold needs a graphical desktop (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "run: the build is ready; start build/quirefold \"$folder\" from a desktop session." >&2
    exit 1
fi

exec "$top/build/quirefold" "$folder"
