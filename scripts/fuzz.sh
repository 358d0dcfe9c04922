#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs them: the document reader's, then each text
# parser's.
#   scripts/fuzz.sh [SECONDS]     (default 60)
#   KVARIL_WERROR=ON scripts/fuzz.sh    clang's warnings fail the build (CI does this)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVARIL_FUZZ=ON -DKVARIL_WERROR="${KVARIL_WERROR:-OFF}" >/dev/null
cmake --build build-fuzz
# The document reader for the time given, each text parser for a quarter of it; each keeps its
# corpus between runs.
run() {
  local target="$1" time="$2" seeds="$3"
  local corpus="build-fuzz/corpus/$target"
  mkdir -p "$corpus"
  echo "-- $target"
  # shellcheck disable=SC2086
  "build-fuzz/tests/fuzz/$target" -max_total_time="$time" -max_len=4096 -rss_limit_mb=2048 \
    -timeout=10 -print_final_stats=1 "$corpus" $seeds 2>&1 | tail -n 15
}
run document_reader_fuzz "$seconds" tests/fuzz/seeds
for target in run_command sweep_values constant_scanner golden_csv compiler_log; do
  run "${target}_fuzz" $(( (seconds + 3) / 4 )) ""
done
