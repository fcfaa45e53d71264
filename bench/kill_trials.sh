#!/usr/bin/env bash
# Kills quirefold-batch with SIGKILL at random moments of a compile and of a conversion, N times
# each, and checks after every kill: the book is either the old complete one or the new complete
# one (every page, every bookmark); every converted PDF is whole; no office is left running after
# 5 s; no file but hidden, recognisable temporary files is left; and the next run clears those.
# Usage: bash bench/kill_trials.sh [N] [BUILD_FOLDER]
set -euo pipefail

trials="${1:-50}"
build="$(cd "${2:-build}" && pwd)"
batch="$build/quirefold-batch"
work="$(mktemp -d)"
export XDG_CACHE_HOME="$work/cache" # this script's offices only, found by their profile path
trap 'pkill -KILL -f "$work/cache" 2>/dev/null || true; rm -rf "$work"' EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
now_ms() { date +%s%3N; }
pages() { qpdf --show-npages "$1" 2>/dev/null || echo -1; }
bookmarks() { qpdf --json --json-key=outlines "$1" 2>/dev/null | grep -c '"title"' || true; }
# Files a killed run may leave: hidden, named ".NAME.quirefold-PID[-XXXXXX]" (or the office's
# lock file of such a name), or in a scratch folder so named. Anything else that a complete run
# does not make is a stray.
temporary='.*/(\.~lock\.)?\.[^/]*\.quirefold-[0-9]+(-[A-Za-z0-9]{6})?#?(/[^/]*)?'
files_of() { (cd "$1" && find . -maxdepth 2 -type f -regextype posix-extended ! -regex "$temporary" | sort); }
strays() { comm -13 "$work/expected" <(files_of "$1"); }
leftovers() { find "$1" -maxdepth 2 -type f -regextype posix-extended -regex "$temporary" | wc -l; }
office_gone() {
    for _ in $(seq 1 50); do
        pgrep -f "$work/cache" > /dev/null || return 0
        sleep 0.1
    done
    return 1
}

# Kills the batch command with these arguments after a random delay below max_ms; prints how
# long it ran, or "done" when it ended first.
kill_at_random() {
    local max_ms="$1"
    shift
    local delay=$((RANDOM * 32768 + RANDOM))
    delay=$((delay % max_ms))
    "$batch" "$@" > /dev/null 2>&1 &
    local pid=$!
    sleep "$(printf '0.%03d' "$delay")" 2> /dev/null || sleep "$((delay / 1000))"
    if kill -KILL "$pid" 2> /dev/null; then
        wait "$pid" 2> /dev/null || true
        echo "$delay"
    else
        wait "$pid" 2> /dev/null || true
        echo done
    fi
}

echo "== compile: $trials kills"
"$build/bench/compile_books" make "$work/pdfs" > /dev/null
book="$work/pdfs/PDFCompile Output/Book.pdf"
"$batch" --compile --blank-sheets --output Book.pdf "$work/pdfs" > /dev/null 2>&1
with_blanks=$(pages "$book")
start=$(now_ms)
"$batch" --compile --no-blank-sheets --output Book.pdf "$work/pdfs" > /dev/null 2>&1
compile_ms=$(($(now_ms) - start))
without_blanks=$(pages "$book")
echo "a compile takes ${compile_ms} ms; books of $with_blanks and $without_blanks pages"
documents=$(find "$work/pdfs" -maxdepth 1 -name '*.pdf' | wc -l)
killed=0 old=0 new=0
files_of "$work/pdfs" > "$work/expected"
for i in $(seq 1 "$trials"); do
    if ((i % 2)); then option=--blank-sheets; else option=--no-blank-sheets; fi
    before=$(sha256sum < "$book")
    outcome=$(kill_at_random "$((compile_ms * 12 / 10))" --compile "$option" --output Book.pdf "$work/pdfs")
    [[ "$outcome" == done ]] || killed=$((killed + 1))
    # The old book, byte for byte, or a new one that is complete: every page, every bookmark.
    if [[ "$(sha256sum < "$book")" == "$before" ]]; then old=$((old + 1)); else new=$((new + 1)); fi
    n=$(pages "$book")
    [[ "$n" == "$with_blanks" || "$n" == "$without_blanks" ]] || fail "compile trial $i: $n pages"
    [[ "$(bookmarks "$book")" == "$documents" ]] || fail "compile trial $i: bookmarks missing"
    qpdf --check "$book" > /dev/null 2>&1 || fail "compile trial $i: the book does not pass qpdf --check"
    s=$(strays "$work/pdfs")
    [[ -z "$s" ]] || fail "trial $i: stray files: $s"
done
echo "compile: $killed of $trials runs killed; the old book stayed $old times, the new one came $new times"
echo "temporary files left by the kills: $(leftovers "$work/pdfs")"
"$batch" --compile --output Book.pdf "$work/pdfs" > /dev/null 2>&1
left=$(leftovers "$work/pdfs")
[[ "$left" == 0 ]] || fail "a normal compile left $left temporary files"
echo "after one normal compile: $left"

echo "== conversion: $trials kills"
mkdir -p "$work/src" "$work/docs"
for i in $(seq 1 6); do
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
        echo ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
        echo ' office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">'
        echo '<office:body><office:text>'
        for l in $(seq 1 $((40 * i))); do echo "<text:p>Document $i, line $l.</text:p>"; done
        echo '</office:text></office:body></office:document>'
    } > "$work/src/Document $i.fodt"
done
soffice --headless --norestore "-env:UserInstallation=file://$work/soffice-profile" \
    --convert-to doc --outdir "$work/docs" "$work/src"/*.fodt > /dev/null 2>&1
start=$(now_ms)
"$batch" --convert "$work/docs" > /dev/null 2>&1
convert_ms=$(($(now_ms) - start))
echo "a conversion of $(find "$work/docs" -name '*.doc' | wc -l) documents takes ${convert_ms} ms"
killed=0 offices=0
files_of "$work/docs" > "$work/expected"
for i in $(seq 1 "$trials"); do
    outcome=$(kill_at_random "$((convert_ms * 12 / 10))" --convert "$work/docs")
    [[ "$outcome" == done ]] || killed=$((killed + 1))
    office_gone || { offices=$((offices + 1)); fail "conversion trial $i: an office still runs 5 s after the kill"; pkill -KILL -f "$work/cache" || true; }
    for pdf in "$work/docs"/*.PDF; do
        [[ -e "$pdf" ]] || continue
        qpdf --check "$pdf" > /dev/null 2>&1 || fail "conversion trial $i: $(basename "$pdf") is not whole"
    done
    s=$(strays "$work/docs")
    [[ -z "$s" ]] || fail "conversion trial $i: stray files: $s"
done
echo "conversion: $killed of $trials runs killed; offices left running: $offices"
echo "temporary files left by the kills: $(leftovers "$work/docs")"
"$batch" --convert "$work/docs" > /dev/null 2>&1
left=$(leftovers "$work/docs")
[[ "$left" == 0 ]] || fail "a normal conversion left $left temporary files"
echo "after one normal conversion: $left"

if ((failures)); then
    echo "$failures failures" >&2
    exit 1
fi
echo "all invariants held"
