#!/usr/bin/env bash
# Times a compile run over 200 PDFs (2,000 pages, blank sheets on) against
# `qpdf --empty --pages ... --` on the same files, and reports the peak memory of each.
# Usage: bash bench/compile_vs_qpdf.sh [BUILD_FOLDER]
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$build/bench/compile_books" make "$work/in"
mapfile -t pdfs < <(find "$work/in" -maxdepth 1 -name '*.pdf' | sort)

hyperfine --warmup 2 --runs 10 --export-markdown "$work/times.md" \
    -n quirefold "'$build/bench/compile_books' run '$work/in'" \
    -n 'qpdf merge' "qpdf --empty --pages ${pdfs[*]@Q} -- '$work/merged.pdf'"
cat "$work/times.md"

peak() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1; }
echo "peak memory, quirefold:  $(peak "$build/bench/compile_books" run "$work/in") KiB"
echo "peak memory, qpdf merge: $(peak qpdf --empty --pages "${pdfs[@]}" -- "$work/merged.pdf") KiB"
pdfinfo "$work/in/PDFCompile Output/Book.pdf" | grep Pages
