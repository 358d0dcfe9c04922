#!/usr/bin/env bash
# Checks that every tracked C++ source and header under src/, tests/ and bench/ follows
# .clang-format, and fails naming the files that drift from it.
#   scripts/check-format.sh          check only (CI runs this)
#   scripts/check-format.sh --fix    reformat the files in place
set -euo pipefail
cd "$(dirname "$0")/.."

fix=0
case "${1:-}" in
  "") ;;
  --fix) fix=1 ;;
  *) echo "Usage: scripts/check-format.sh [--fix]" >&2; exit 2 ;;
esac
if ! command -v clang-format >/dev/null; then
  echo "clang-format is missing: run scripts/setup.sh" >&2
  exit 2
fi

mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
                                     'bench/*.cpp' 'bench/*.h')
if [ "$fix" -eq 1 ]; then
  clang-format -i "${files[@]}"
  exit 0
fi

report="$(mktemp)"
trap 'rm -f "$report"' EXIT
if clang-format --dry-run -Werror "${files[@]}" 2>"$report"; then
  exit 0
fi
# Each drifting line is reported with its file first: name the files, then show the first few.
drifting="$(grep -E '^[^:]+:[0-9]+:[0-9]+: error' "$report" | cut -d: -f1 | sort -u || true)"
if [ -z "$drifting" ]; then
  cat "$report" >&2  # clang-format itself failed
  exit 1
fi
{
  echo "Not formatted as .clang-format says:"
  sed 's/^/  /' <<<"$drifting"
  echo
  head -n 30 "$report"
  echo
  echo "Run scripts/check-format.sh --fix (or clang-format -i FILE) and commit the result."
} >&2
exit 1
