#!/usr/bin/env bash
# The batch command's compile (blank sheets, bookmarks) of 200 and of 2,000 distinct PDFs of 1 to 19
# pages against the merge tools users compare it with: pdfunite (Poppler), `mutool merge` (MuPDF)
# and `qpdf --empty --pages`. The runs alternate between the tools, so a busy moment of the machine
# falls on all alike; each figure is the median of RUNS runs (default 7) of the whole process: wall
# time and peak memory. Instruction counts from callgrind follow for the 200 PDFs, as they do not
# depend on what else the machine is doing. With OFFICE=1 the PDFs are an office's: of every ten,
# one has a form field (the same name in each), one a hidden layer, one a tag tree, one a named
# destination with a link to it by name, and one in twenty links into the next file.
# FOLDER=PATH compiles the PDFs of that folder instead (real documents: Debian's texlive-*-doc
# packages ship thousands); TOOLS picks the tools (default: all four).
# Usage: [RUNS=N] [SIZES="200 2000"] [CALLGRIND=0] [OFFICE=1] [FOLDER=PATH] [TOOLS="quirefold pdfunite"]
#        bash bench/compile_vs_peers.sh [BUILD_FOLDER]
# (built with -DQUIREFOLD_BUILD_BENCH=ON, as scripts/build.sh builds it)
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
runs="${RUNS:-7}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/alternating.sh"

if [[ -n "${FOLDER:-}" ]]; then sizes=(given); else read -r -a sizes <<<"${SIZES:-200 2000}"; fi
for files in "${sizes[@]}"; do
    if [[ "$files" == given ]]; then
        in="$(cd "$FOLDER" && pwd)"
        files="$(find "$in" -maxdepth 1 -name '*.pdf' | wc -l)"
    else
        in="$work/in$files"
        "$build/bench/compile_books" make "$in" "$files" >/dev/null
        [[ "${OFFICE:-0}" != 0 ]] && "$build/bench/compile_books" office "$in" >/dev/null
    fi
    mapfile -t pdfs < <(find "$in" -maxdepth 1 -name '*.pdf' | sort)
    declare -A command=(
        [quirefold]="$(printf '%q ' "$build/quirefold-batch" --compile --blank-sheets -q -o Book.pdf "$in")"
        [pdfunite]="$(printf '%q ' pdfunite "${pdfs[@]}" "$work/unite.pdf")"
        [mutool]="$(printf '%q ' mutool merge -o "$work/mutool.pdf" "${pdfs[@]}")"
        [qpdf]="$(printf '%q ' qpdf --empty --pages "${pdfs[@]}" -- "$work/qpdf.pdf")"
    )
    read -r -a tools <<<"${TOOLS:-quirefold pdfunite mutool qpdf}"
    for tool in "${tools[@]}"; do : >"$work/$tool.times"; done
    for run in $(seq 0 "$runs"); do
        for tool in "${tools[@]}"; do
            timed_round "$tool" "$run" bash -c "${command[$tool]}"
        done
    done
    pages="$(pdfinfo "$in/PDFCompile Output/Book.pdf" | awk '/^Pages:/ { print $2 }')"
    echo "## $files $([[ "${OFFICE:-0}" != 0 ]] && echo "office ")PDFs ($pages pages in the book), medians of $runs alternating runs"
    echo "| tool | wall time | peak memory | time vs quirefold-batch |"
    echo "|---|---|---|---|"
    for tool in "${tools[@]}"; do median_row "$tool" "$tool" quirefold 3; done
    if [[ "${CALLGRIND:-1}" != 0 && -z "${FOLDER:-}" && $files -le 200 ]]; then
        echo
        echo "| tool | instructions (callgrind, all threads) |"
        echo "|---|---|"
        for tool in "${tools[@]}"; do
            count="$(bash -c "valgrind --tool=callgrind --callgrind-out-file=/dev/null ${command[$tool]}" 2>&1 |
                awk '/Collected :/ { print $4 }')"
            echo "| $tool | $count |"
        done
    fi
    echo
    unset command
done
