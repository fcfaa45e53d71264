#!/usr/bin/env bash
# Makes 20 flat Word 97 documents of 2 to 30 pages (one page break per page) in OUTDIR, through
# LibreOffice with the profile given.
# Usage: bash bench/make_documents.sh OUTDIR PROFILE_FOLDER
set -euo pipefail

out="$1"
profile="$2"
src="$(mktemp -d)"
trap 'rm -rf "$src"' EXIT
mkdir -p "$out"
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
    } > "$src/Document $i.fodt"
done
soffice --headless --norestore "-env:UserInstallation=file://$profile" --convert-to doc \
    --outdir "$out" "$src"/*.fodt > /dev/null 2>&1
echo "$(ls "$out" | wc -l) documents"
