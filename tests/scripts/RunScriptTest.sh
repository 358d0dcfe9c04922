#!/usr/bin/env bash
# run.sh as a user meets it, with the set-up, the build and the program replaced by stand-ins:
# a failed build must show its messages, and a document named relative to the caller's folder
# must reach the program as that file.
set -uo pipefail
source_dir="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/kv/scripts" "$work/kv/build" "$work/bin" "$work/caller"
cp "$source_dir/run.sh" "$work/kv/run.sh"
printf '#!/usr/bin/env bash\nexit 0\n' >"$work/kv/scripts/setup.sh"
# The program stand-in prints each argument that names an existing file.
printf '#!/usr/bin/env bash\nfor a in "$@"; do [ -f "$a" ] && echo "OPENS $(realpath "$a")"; done\nexit 0\n' \
  >"$work/kv/build/kvaril"
chmod +x "$work/kv/run.sh" "$work/kv/scripts/setup.sh" "$work/kv/build/kvaril"

# A build that fails the way Ninja does: errors on standard output.
cat >"$work/bin/cmake" <<'STUB'
#!/usr/bin/env bash
if [ "${1:-}" = "--build" ] && [ -n "${FAIL_BUILD:-}" ]; then
  echo "kvm.cpp:1:1: error: something broke"
  exit 1
fi
exit 0
STUB
chmod +x "$work/bin/cmake"

out="$(cd "$work/caller" && FAIL_BUILD=1 PATH="$work/bin:$PATH" ../kv/run.sh 2>&1)"
status=$?
[ $status -ne 0 ] || fail "a failed build ended with status 0"
grep -q "error: something broke" <<<"$out" || fail "the build's messages were hidden: $out"

echo doc >"$work/caller/doc.sig"
out="$(cd "$work/caller" && PATH="$work/bin:$PATH" ../kv/run.sh doc.sig 2>&1)"
grep -q "^OPENS .*caller/doc.sig$" <<<"$out" || fail "doc.sig did not reach the program: $out"
echo "ok"
