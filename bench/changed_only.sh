#!/usr/bin/env bash
# Times `quirefold-batch --convert --changed-only` on a folder of 1,000 documents whose PDFs are
# all up to date: it reads the folder, finds nothing to do and starts no office.
# Usage: bash bench/changed_only.sh [BUILD_FOLDER]
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for i in $(seq 1 1000); do : > "$work/Chapter $i.doc"; done
sleep 1 # the PDFs are newer than their documents
for i in $(seq 1 1000); do : > "$work/Chapter $i.PDF"; done
hyperfine --warmup 2 --runs 10 -N "'$build/quirefold-batch' --convert --changed-only '$work'"
"$build/quirefold-batch" --convert --changed-only "$work" | grep -c '^Up to date: '
