#!/usr/bin/env bash
# Installs what is missing, builds Kvaril if needed and starts the workbench.
#   ./run.sh [FILE.sig]
# Arguments are taken as the caller meant them: relative to the caller's folder.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
(cd "$here" && scripts/setup.sh)
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
# Quiet when all is well; a failed build shows what the build said (Ninja writes its errors
# to standard output).
if ! { cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$here/build"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "run.sh: the build failed; see the messages above." >&2
  exit 1
fi
rm -f "$log"
trap - EXIT
exec "$here/build/kvaril" "$@"
