#!/usr/bin/env bash
# Times the window's compile (200, 1,000 and 2,000 PDFs) and conversion (20 documents) against the batch
# command's on the same folders, in turn, and prints the medians.
# Usage: bash bench/window_vs_batch.sh [BUILD_FOLDER [BENCHMARK_OPTIONS...]]
# (built with -DQUIREFOLD_BUILD_BENCH=ON)
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$build/bench/compile_books" make "$work/pdfs200" 200
"$build/bench/compile_books" make "$work/pdfs1000" 1000
"$build/bench/compile_books" make "$work/pdfs2000" 2000
bash "$(dirname "$0")/make_documents.sh" "$work/docs" "$work/soffice-profile"

export QT_QPA_PLATFORM=offscreen
export QUIREFOLD_BENCH_PDFS_200="$work/pdfs200" QUIREFOLD_BENCH_PDFS_1000="$work/pdfs1000"
export QUIREFOLD_BENCH_PDFS_2000="$work/pdfs2000"
export QUIREFOLD_BENCH_DOCS="$work/docs"
# The batch command's progress lines go to standard error, as they do when it is run.
"$build/window_vs_batch" --benchmark_repetitions=5 "${@:2}" --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'Benchmark|median|ERROR'
