#!/usr/bin/env bash
# Times "Print DOC Files to PDF" (quirefold-batch --convert) on 20 .doc files of 2 to 30 pages
# against one `soffice --headless --convert-to pdf` for all files, and against itself with the
# tags off (TaggedPdf=0): what tagged PDFs cost.
# Usage: bash bench/convert_vs_soffice.sh [BUILD_FOLDER]
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
profile="$work/soffice-profile"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out"
bash "$(dirname "$0")/make_documents.sh" "$work/docs" "$profile"
cp -r "$work/docs" "$work/untagged"
printf '[Settings]\r\nTaggedPdf=0\r\n' >"$work/untagged/Quirefold.INI"

hyperfine --warmup 1 --runs 5 --export-markdown "$work/times.md" \
    -n 'quirefold-batch --convert' "'$build/quirefold-batch' --convert '$work/docs'" \
    -n 'quirefold-batch --convert, TaggedPdf=0' "'$build/quirefold-batch' --convert '$work/untagged'" \
    -n 'soffice, once for all' \
    "soffice --headless --norestore '-env:UserInstallation=file://$profile' --convert-to pdf --outdir '$work/out' '$work/docs'/*.doc"
cat "$work/times.md"
total=0
for f in "$work/docs"/*.PDF; do total=$(( total + $(pdfinfo "$f" | awk '/^Pages:/ {print $2}') )); done
echo "pages converted by Quirefold: $total"
