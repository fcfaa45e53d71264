#!/usr/bin/env bash
# The batch command's compile of FILES distinct PDFs (default 2000, of 1 to 19 pages) with every
# page numbered (--page-numbers "Page {n} of {total}"), each page's content read to find whether
# its number needs room, against the same compile without numbers, and with the numbers stamped
# over the content (PageNumberRoom=none). They alternate, so that a busy moment of the machine
# falls on all alike; each figure is the median of RUNS runs (default 7) of the whole process:
# wall time and peak memory. OFFICE=1 adds real office documents' PDFs; FOLDER=PATH times the PDFs
# of a folder given instead.
# Usage: [RUNS=N] [FILES=N] [OFFICE=1] [FOLDER=PATH] bash bench/page_numbers.sh [BUILD_FOLDER]
# (built with -DQUIREFOLD_BUILD_BENCH=ON, as scripts/build.sh builds it)
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
runs="${RUNS:-7}"
files="${FILES:-2000}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/alternating.sh"

# Three folders of the same PDFs, so that each keeps its own settings file.
if [[ -n "${FOLDER:-}" ]]; then
    mkdir -p "$work/plain"
    for pdf in "$FOLDER"/*.pdf "$FOLDER"/*.PDF; do
        [[ -e "$pdf" ]] && cp -l "$pdf" "$work/plain/" 2>/dev/null || cp "$pdf" "$work/plain/"
    done
else
    "$build/bench/compile_books" make "$work/plain" "$files" >/dev/null
    [[ "${OFFICE:-0}" != 0 ]] && "$build/bench/compile_books" office "$work/plain" >/dev/null
fi
for way in numbered over; do cp -a "$work/plain" "$work/$way"; done
printf '[Settings]\nSlipSheet=0\nOutputName=CompiledPDFDocument.pdf\nPageNumberRoom=none\n' \
    >"$work/over/Quirefold.INI"
ways=(plain numbered over)
for way in "${ways[@]}"; do : >"$work/$way.times"; done
for run in $(seq 0 "$runs"); do
    for way in "${ways[@]}"; do
        if [[ $way == plain ]]; then
            timed_round "$way" "$run" "$build/quirefold-batch" --compile -q --no-page-numbers \
                "$work/$way"
        else
            timed_round "$way" "$run" "$build/quirefold-batch" --compile -q \
                --page-numbers "Page {n} of {total}" "$work/$way"
        fi
    done
done
shrunk="$("$build/quirefold-batch" --compile --json -q --page-numbers "Page {n} of {total}" \
    "$work/numbered" 2>/dev/null |
    python3 -c 'import json, sys; b = json.load(sys.stdin)["book"]; print(b["shrunkPages"], "of", b["pages"])')"
echo "## $(ls "$work/plain" | grep -ci '\.pdf$') PDFs, $shrunk pages shrunk for their numbers, medians of $runs alternating runs"
echo "| page numbers | wall time | peak memory | time vs none |"
echo "|---|---|---|---|"
median_row plain "none" plain 3
median_row numbered "with room for them" plain 3
median_row over "over the content" plain 3
