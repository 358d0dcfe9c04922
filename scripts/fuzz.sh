#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs the document reader's fuzzer.
#   scripts/fuzz.sh [SECONDS]     (default 60)
#   KVARIL_WERROR=ON scripts/fuzz.sh    clang's warnings fail the build (CI does this)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVARIL_FUZZ=ON -DKVARIL_WERROR="${KVARIL_WERROR:-OFF}" >/dev/null
cmake --build build-fuzz
corpus=build-fuzz/corpus
mkdir -p "$corpus"
build-fuzz/tests/fuzz/document_reader_fuzz -max_total_time="$seconds" -max_len=4096 \
  -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$corpus" tests/fuzz/seeds 2>&1 | tail -n 15
