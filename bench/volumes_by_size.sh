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

source "$(dirname "${BASH_SOURCE[0]}")/alternating.sh"

mkdir "$work/in"
find "$source" -maxdepth 1 -iname '*.pdf' -exec cp -t "$work/in" {} +
batch="$build/quirefold-batch"
declare -A option=([one]="--no-volumes" [size]="--volume-limit=${LIMIT:-20 MB}"
    [pages]="--volume-limit=${PAGES:-1000 pages}")
ways=(one size pages)
for way in "${ways[@]}"; do : >"$work/$way.times"; done
for run in $(seq 0 "$runs"); do
    for way in "${ways[@]}"; do
        timed_round "$way" "$run" "$batch" --compile -q "${option[$way]}" "$work/in"
        [[ $way == size ]] && volumes="$(find "$work/in/PDFCompile Output" -name '*(Volume *' | wc -l)"
    done
done
echo "## $(find "$work/in" -maxdepth 1 -iname '*.pdf' | wc -l) PDFs of $source, medians of $runs alternating runs"
echo "| book | wall time | peak memory | time vs one book |"
echo "|---|---|---|---|"
for way in "${ways[@]}"; do median_row "$way" "${option[$way]}" one 2; done
echo "(the limit in bytes made $volumes volumes)"
