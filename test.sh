#!/usr/bin/env bash
# Installs what is missing, builds Kvaril and runs every test.
#   KVARIL_WERROR=ON ./test.sh    warnings in our code fail the build (CI does this)
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVARIL_WERROR="${KVARIL_WERROR:-OFF}" >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure
