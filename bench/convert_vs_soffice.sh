#!/usr/bin/env bash
# Times "Print DOC Files to PDF" (quirefold-batch --convert) on 20 .doc files of 2 to 30 pages
# against `soffice --headless --convert-to pdf`, run once for all files and once per file.
# Usage: bash bench/convert_vs_soffice.sh [BUILD_FOLDER]
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
profile="$work/soffice-profile"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$work/docs" "$work/out"

# 20 flat documents of 2 to 30 pages, one page break per page, turned into Word 97 files.
for i in $(seq 1 20); do
    pages=$(( 2 + (i * 7) % 29 ))
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
        echo ' xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"'
        echo ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
        echo ' xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"'
        echo ' office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">'
        echo '<office:automatic-styles><style:style style:name="P1" style:family="paragraph">'
        echo '<style:paragraph-properties fo:break-before="page"/></style:style></office:automatic-styles>'
        echo '<office:body><office:text>'
        for p in $(seq 1 "$pages"); do
            echo "<text:h text:outline-level=\"1\" text:style-name=\"P1\">Chapter $i, page $p</text:h>"
            for l in $(seq 1 12); do
                echo "<text:p>Line $l of page $p: the quick brown fox jumps over the lazy dog.</text:p>"
            done
        done
        echo '</office:text></office:body></office:document>'
    } > "$work/src/Document $i.fodt"
done
soffice --headless --norestore "-env:UserInstallation=file://$profile" --convert-to doc \
    --outdir "$work/docs" "$work/src"/*.fodt > /dev/null 2>&1
echo "$(ls "$work/docs" | wc -l) documents"

hyperfine --warmup 1 --runs 5 --export-markdown "$work/times.md" \
    -n 'quirefold-batch --convert' "'$build/quirefold-batch' --convert '$work/docs'" \
    -n 'soffice, once for all' \
    "soffice --headless --norestore '-env:UserInstallation=file://$profile' --convert-to pdf --outdir '$work/out' '$work/docs'/*.doc" \
    -n 'soffice, once per file' \
    "for f in '$work/docs'/*.doc; do soffice --headless --norestore '-env:UserInstallation=file://$profile' --convert-to pdf --outdir '$work/out' \"\$f\"; done"
cat "$work/times.md"
total=0
for f in "$work/docs"/*.PDF; do total=$(( total + $(pdfinfo "$f" | awk '/^Pages:/ {print $2}') )); done
echo "pages converted by Quirefold: $total"
