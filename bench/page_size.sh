#!/usr/bin/env bash
# The batch command's compile of FILES distinct PDFs (default 200, of 1 to 19 A4 pages) with
# every page scaled to Letter (--page-size letter) against the same compile with the pages as
# they are. The two alternate, so that a busy moment of the machine falls on both alike; each
# figure is the median of RUNS runs (default 7) of the whole process: wall time and peak memory.
# Usage: [RUNS=N] [FILES=N] [OFFICE=1] bash bench/page_size.sh [BUILD_FOLDER]
# (built with -DQUIREFOLD_BUILD_BENCH=ON, as scripts/build.sh builds it)
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
runs="${RUNS:-7}"
files="${FILES:-200}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/alternating.sh"

"$build/bench/compile_books" make "$work/in" "$files" >/dev/null
[[ "${OFFICE:-0}" != 0 ]] && "$build/bench/compile_books" office "$work/in" >/dev/null
ways=(as-is letter)
for way in "${ways[@]}"; do : >"$work/$way.times"; done
for run in $(seq 0 "$runs"); do
    for way in "${ways[@]}"; do
        timed_round "$way" "$run" "$build/quirefold-batch" --compile --blank-sheets -q \
            --page-size "$way" "$work/in"
    done
done
scaled="$("$build/quirefold-batch" --plan --json --page-size letter "$work/in" 2>/dev/null |
    python3 -c 'import json, sys; b = json.load(sys.stdin)["book"]; print(b["scaledPages"], "of", b["pages"])')"
echo "## $files PDFs, $scaled pages scaled to Letter, medians of $runs alternating runs"
echo "| --page-size | wall time | peak memory | time vs as-is |"
echo "|---|---|---|---|"
for way in "${ways[@]}"; do median_row "$way" "$way" as-is 3; done
