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

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

"$build/bench/compile_books" make "$work/in" "$files" >/dev/null
[[ "${OFFICE:-0}" != 0 ]] && "$build/bench/compile_books" office "$work/in" >/dev/null
ways=(as-is letter)
for way in "${ways[@]}"; do : >"$work/$way.times"; done
for run in $(seq 0 "$runs"); do
    for way in "${ways[@]}"; do
        # The first round warms the caches and is not counted.
        start="$EPOCHREALTIME"
        /usr/bin/time -f '%M' -o "$work/one" "$build/quirefold-batch" --compile --blank-sheets -q \
            --page-size "$way" "$work/in" >/dev/null 2>&1
        end="$EPOCHREALTIME"
        [[ $run -gt 0 ]] && echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }') $(cat "$work/one")" >>"$work/$way.times"
    done
done
scaled="$("$build/quirefold-batch" --plan --json --page-size letter "$work/in" 2>/dev/null |
    python3 -c 'import json, sys; b = json.load(sys.stdin)["book"]; print(b["scaledPages"], "of", b["pages"])')"
echo "## $files PDFs, $scaled pages scaled to Letter, medians of $runs alternating runs"
echo "| --page-size | wall time | peak memory | time vs as-is |"
echo "|---|---|---|---|"
ours="$(cut -d' ' -f1 "$work/as-is.times" | median)"
for way in "${ways[@]}"; do
    time="$(cut -d' ' -f1 "$work/$way.times" | median)"
    memory="$(cut -d' ' -f2 "$work/$way.times" | median)"
    awk -v t="$way" -v s="$time" -v m="$memory" -v o="$ours" \
        'BEGIN { printf "| %s | %.3f s | %.0f MB | %.2fx |\n", t, s, m / 1024, s / o }'
done
