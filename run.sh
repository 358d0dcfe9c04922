#!/usr/bin/env bash
# Installs what is missing, builds Kvaril if needed and starts the workbench.
#   ./run.sh [FILE.sig]
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build >/dev/null
exec build/kvaril "$@"
