#!/usr/bin/env bash
# Volumes cut by size against one book of the same PDFs, and against volumes cut by pages: the
# batch command's compile of a copy of FOLDER's PDFs, the three alternating, so that a busy moment
# of the machine falls on all alike. Each figure is the median of RUNS runs (default 5) of the whole
# process: wall time and peak memory.
# Usage: [RUNS=N] [LIMIT="20 MB"] [PAGES="1000 pages"] bash bench/volumes_by_size.sh FOLDER [BUILD_FOLDER]
set -euo pipefail

source="$(cd "$1" && pwd)"
build="$(cd "${2:-build}" && pwd)"
runs="${RUNS:-5}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

mkdir "$work/in"
find "$source" -maxdepth 1 -iname '*.pdf' -exec cp -t "$work/in" {} +
batch="$build/quirefold-batch"
declare -A option=([one]="--no-volumes" [size]="--volume-limit=${LIMIT:-20 MB}"
    [pages]="--volume-limit=${PAGES:-1000 pages}")
ways=(one size pages)
for way in "${ways[@]}"; do : >"$work/$way.times"; done
for run in $(seq 0 "$runs"); do
    for way in "${ways[@]}"; do
        # The first round warms the caches and is not counted.
        start="$EPOCHREALTIME"
        /usr/bin/time -f '%M' -o "$work/one" "$batch" --compile -q "${option[$way]}" "$work/in" >/dev/null 2>&1
        end="$EPOCHREALTIME"
        [[ $run -gt 0 ]] && echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }') $(cat "$work/one")" >>"$work/$way.times"
        [[ $way == size ]] && volumes="$(find "$work/in/PDFCompile Output" -name '*(Volume *' | wc -l)"
    done
done
echo "## $(find "$work/in" -maxdepth 1 -iname '*.pdf' | wc -l) PDFs of $source, medians of $runs alternating runs"
echo "| book | wall time | peak memory | time vs one book |"
echo "|---|---|---|---|"
ours="$(cut -d' ' -f1 "$work/one.times" | median)"
for way in "${ways[@]}"; do
    time="$(cut -d' ' -f1 "$work/$way.times" | median)"
    memory="$(cut -d' ' -f2 "$work/$way.times" | median)"
    awk -v t="${option[$way]}" -v s="$time" -v m="$memory" -v o="$ours" \
        'BEGIN { printf "| %s | %.2f s | %.0f MB | %.2fx |\n", t, s, m / 1024, s / o }'
done
echo "(the limit in bytes made $volumes volumes)"
