#!/usr/bin/env bash
# Sizes of the book of 20 letters that share one ~190 KB logo, exported by LibreOffice once with
# lossless images and once with its default JPEG images: the inputs summed, quirefold-batch,
# `qpdf --empty --pages` and Ghostscript's pdfwrite (which re-encodes pictures, lossy).
# Usage: bash bench/lean_book.sh [BUILD_FOLDER]
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# A logo that compresses badly, as photographs and shaded letterheads do.
convert -seed 7 -size 320x320 plasma:fractal -depth 8 logo.png
logo="$(base64 -w0 logo.png)"
for i in $(seq -w 1 20); do
    cat >"letter$i.fodt" <<FODT
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:body><office:text>
<text:p><draw:frame draw:name="logo" text:anchor-type="as-char" svg:width="5cm" svg:height="5cm">
<draw:image><office:binary-data>$logo</office:binary-data></draw:image></draw:frame></text:p>
<text:p>Letter $i. Dear customer, this letter is about your account.</text:p>
</office:text></office:body></office:document>
FODT
done
office=(timeout 300 soffice --headless "-env:UserInstallation=file://$work/profile")
"${office[@]}" --convert-to \
    'pdf:writer_pdf_Export:{"UseLosslessCompression":{"type":"boolean","value":"true"}}' \
    --outdir lossless letter*.fodt >/dev/null 2>&1
"${office[@]}" --convert-to pdf --outdir jpeg letter*.fodt >/dev/null 2>&1

printf '%-9s %12s %12s %12s %12s\n' logo inputs Quirefold qpdf Ghostscript
for kind in lossless jpeg; do
    "$build/quirefold-batch" --compile --no-blank-sheets -o Book.pdf "$kind" >/dev/null 2>&1
    qpdf --empty --pages "$kind"/letter*.pdf -- "qpdf-$kind.pdf"
    gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile="gs-$kind.pdf" "$kind"/letter*.pdf
    images="$(pdfimages -list "$kind/PDFCompile Output/Book.pdf" | tail -n +3 |
        awk '{print $11}' | sort -u | wc -l)"
    printf '%-9s %12s %12s %12s %12s   (%s image in the book)\n' "$kind" \
        "$(cat "$kind"/letter*.pdf | wc -c)" "$(stat -c%s "$kind/PDFCompile Output/Book.pdf")" \
        "$(stat -c%s "qpdf-$kind.pdf")" "$(stat -c%s "gs-$kind.pdf")" "$images"
done
