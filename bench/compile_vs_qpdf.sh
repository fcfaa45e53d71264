#!/usr/bin/env bash
# Times the batch command's compile (blank sheets, bookmarks) of 200 PDFs (2,000 pages) and of
# 2,000 PDFs (20,000 pages) against `qpdf --empty --pages ... --` on the same files, and reports
# the peak memory of each.
# Usage: [RUNS=N] bash bench/compile_vs_qpdf.sh [BUILD_FOLDER] (built with -DQUIREFOLD_BUILD_BENCH=ON);
# RUNS (default 10) is the number of timed runs of each command.
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

peak() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1; }
for files in 200 2000; do
    in="$work/in$files"
    "$build/bench/compile_books" make "$in" "$files"
    mapfile -t pdfs < <(find "$in" -maxdepth 1 -name '*.pdf' | sort)
    batch=("$build/quirefold-batch" --compile --blank-sheets -o Book.pdf "$in")
    hyperfine --warmup 3 --runs ${RUNS:-10} --export-markdown "$work/times.md" \
        -n "quirefold-batch, $files PDFs" "${batch[*]@Q} 2>/dev/null" \
        -n "qpdf merge, $files PDFs" "qpdf --empty --pages ${pdfs[*]@Q} -- '$work/merged.pdf'"
    cat "$work/times.md"
    echo "peak memory, quirefold-batch: $(peak "${batch[@]}") KiB"
    echo "peak memory, qpdf merge:      $(peak qpdf --empty --pages "${pdfs[@]}" -- "$work/merged.pdf") KiB"
    pdfinfo "$in/PDFCompile Output/Book.pdf" | grep Pages
done
