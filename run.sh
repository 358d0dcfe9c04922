#!/usr/bin/env bash
# Installs what is missing, builds Kvaril if needed and starts it.
#   ./run.sh [FILE.sig]
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build >/dev/null
if [ $# -ge 1 ]; then
  exec build/kvaril --info "$1"
fi
exec build/kvaril --help
