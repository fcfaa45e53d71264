#!/usr/bin/env bash
# Builds the libFuzzer targets with clang 14 into build-fuzz/ and runs each in turn for SECONDS
# (default 60), niced, on a corpus kept in build-fuzz/corpus/TARGET. Crashers land in
# build-fuzz/artifacts/TARGET. FUZZ_RUNS=N also stops a target after N executions.
# FUZZ_SANITIZERS=undefined builds without AddressSanitizer, into build-fuzz-undefined/, for about
# four times as many executions a second.
# Usage: bash bench/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_profile fuzz_ignore_list fuzz_name_match fuzz_pdf_book)
fi
sanitizers="${FUZZ_SANITIZERS:-address,undefined}"
build="$repo/build-fuzz"
[ "$sanitizers" = address,undefined ] || build="$repo/build-fuzz-${sanitizers//,/-}"

if ! command -v clang++-14 >/dev/null || ! compgen -G '/usr/lib/llvm-14/lib/clang/14*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "needs clang-14 and libclang-rt-14-dev: sudo apt-get install clang-14 libclang-rt-14-dev" >&2
        exit 1
    fi
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y clang-14 libclang-rt-14-dev
fi

# The project's libraries get coverage instrumentation; only the targets link libFuzzer itself.
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUIREFOLD_FUZZ=ON -DQUIREFOLD_SANITIZE=ON -DQUIREFOLD_SANITIZERS="$sanitizers" \
    -DQUIREFOLD_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

# Small seeds; the fuzzers keep what they learn in the corpus between runs.
seed() {
    local folder="$build/corpus/$1"
    mkdir -p "$folder"
    printf '%b' "$3" >"$folder/$2"
}
seed fuzz_profile settings '[Settings]\r\nSlipSheet=1\r\nOutputName= "My Book.pdf" \r\n'
seed fuzz_profile mixed '; notes\n[Other]\nSlipSheet=7\n\n[settings]\r\n  slipsheet = 1 \r\n[Tail]\nx=y'
seed fuzz_profile empty ''
seed fuzz_ignore_list names 'Welcome.doc\r\nMinutes.pdf\r\n'
seed fuzz_ignore_list ends 'a.doc\nb.doc\rc.doc\r\n\r\nA.DOC'
seed fuzz_name_match doc '\x00*.DOC\x00REPORT.DOC'
seed fuzz_name_match lists '\x00[!a-c]#?[x-z]*\x00d7qy.pdf'
seed fuzz_name_match unclosed '\x00[ab*\x00[abc'
pdfs="$build/corpus/fuzz_pdf_book"
mkdir -p "$pdfs"
for pdf in sample/*.pdf; do
    name="$(basename "$pdf" .pdf)"
    cp "$pdf" "$pdfs/$name.pdf"
    qpdf --qdf --object-streams=disable "$pdf" "$pdfs/$name-qdf.pdf" || true
done
# The book-fidelity test's sources: links, forms, layers, labels, attachments, tags.
if [ -x "$repo/build/tests/test_book_fidelity" ]; then
    QUIREFOLD_FUZZ_SEEDS="$pdfs" QT_QPA_PLATFORM=offscreen \
        "$repo/build/tests/test_book_fidelity" bookKeepsWhatEachSourceHolds >/dev/null || true
fi
qpdf --empty "$pdfs/empty.pdf"
qpdf --empty --pages sample/Map.pdf 1 -- --object-streams=generate "$pdfs/objstm.pdf" || true

# The targets' scratch files go to memory, where the writers' flushes cost nothing, into a folder
# of this run's own: a process that libFuzzer ends never removes its scratch folder itself.
scratch_root=/dev/shm
[ -w "$scratch_root" ] || scratch_root=/tmp
TMPDIR="$(mktemp -d "$scratch_root/quirefold-fuzz-run.XXXXXX")"
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
# Allocation stacks stay short: the fast unwinder reads garbage past the first frame inside Qt and
# qpdf (built without frame pointers), and every such stack is new, so long ones grow the process
# past the memory limit within minutes. Even so a process grows slowly over millions of inputs,
# hence the generous limit.
export ASAN_OPTIONS="detect_leaks=1:malloc_context_size=4${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$repo/tests/lsan.supp"
summary=()
status=0
for target in "${targets[@]}"; do
    artifacts="$build/artifacts/$target"
    mkdir -p "$artifacts" "$build/corpus/$target"
    case "$target" in
        fuzz_name_match) max_len=256 ;;
        fuzz_pdf_book) max_len=16384 ;;
        *) max_len=4096 ;;
    esac
    echo "== $target, $seconds s"
    start=$SECONDS
    nice -n 19 "$build/$target" -max_total_time="$seconds" -runs="${FUZZ_RUNS:--1}" \
        -max_len="$max_len" -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$build/corpus/$target" 2>&1 |
        tee "$build/$target.log" | grep -E '^(==|INFO: |#[0-9]+ +(INITED|DONE)|Done|stat::|SUMMARY|.*broken:)' || true
    runs="$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$build/$target.log" | grep -Eo '[0-9]+$' || echo '?')"
    time=$((SECONDS - start))
    crashes="$(find "$artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)"
    [ "$crashes" -eq 0 ] || status=1
    summary+=("$target: $runs executions, ${time} s, $crashes crasher(s) in $artifacts")
done
printf '%s\n' "${summary[@]}"
exit "$status"
