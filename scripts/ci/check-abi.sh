#!/usr/bin/env bash
# Guards the ABI of libdataobjects_data.so.1: builds the library (Release, with debug information
# for libabigail), describes its ABI as seen through the public headers with abidw, and compares
# that with the baseline abi/libdataobjects_data.so.1.abi using abidiff. An incompatible change
# fails; a compatible one (an added function) is reported and passes. It also fails when the
# library exports any symbol of its own namespace dataobjects_data beyond the one function its
# installed headers declare there (setBoundedReading): the rest of that machinery is internal.
#
# Usage: scripts/ci/check-abi.sh            compare with the baseline
#        scripts/ci/check-abi.sh --update   record the current ABI as the new baseline, on purpose
set -euo pipefail
cd "$(dirname "$0")/../.."

readonly baseline=abi/libdataobjects_data.so.1.abi
readonly build=build/abi
update=false
[ "${1:-}" = --update ] && update=true

scripts/install-deps.sh abigail-tools
cmake --preset abi >/dev/null
cmake --build --preset abi --parallel "$(nproc)"
rm -rf "$build/stage"
cmake --install "$build" --component dev --prefix "$build/stage" >/dev/null
headers=$build/stage/include/dataobjects_data
lib=$(readlink -f "$build/libdataobjects_data.so.1")

echo "== Symbols of the library's own namespace"
own=$(nm -DC --defined-only "$lib" | cut -d' ' -f3- | grep 'dataobjects_data::' |
  grep -vx 'dataobjects_data::setBoundedReading(bool)' || true)
if [ -n "$own" ]; then
  printf 'error: the library exports internal symbols:\n%s\n' "$own" >&2
  exit 1
fi
echo "none exported but dataobjects_data::setBoundedReading(bool)"

echo "== ABI against $baseline"
abidw --headers-dir "$headers" --no-corpus-path --no-comp-dir-path --short-locs \
  --exported-interfaces-only --type-id-style hash --out-file "$build/current.abi" "$lib"
if $update; then
  mkdir -p "$(dirname "$baseline")"
  cp "$build/current.abi" "$baseline"
  echo "recorded the ABI of $(basename "$lib") in $baseline"
  exit 0
fi
status=0
abidiff --headers-dir2 "$headers" "$baseline" "$lib" >"$build/abidiff.txt" || status=$?
cat "$build/abidiff.txt"
# abidiff's status is a bit set: 1 error, 2 usage error, 4 ABI change, 8 incompatible change.
# It counts a changed type (a class that grew) as a change to review, not as incompatible; here
# anything but added functions and variables breaks applications built against the baseline.
changed_or_removed() {
  grep -E '^(Functions|Variables) changes summary:' "$build/abidiff.txt" |
    grep -Eo '[0-9]+ (Removed|Changed)' | awk '{ n += $1 } END { print n + 0 }'
}
if ((status & 3)); then
  echo "error: abidiff failed ($status)" >&2
  exit 1
elif ((status & 8)) || { ((status & 4)) && [ "$(changed_or_removed)" -gt 0 ]; }; then
  echo "error: an incompatible ABI change (above). Keep the old interface, or, if the change is" >&2
  echo "meant and the SONAME's promise allows it, record it with" \
    "scripts/ci/check-abi.sh --update." >&2
  exit 1
elif ((status & 4)); then
  echo "compatible ABI change (only additions, above): record it with" \
    "scripts/ci/check-abi.sh --update"
else
  echo "the ABI is the baseline's"
fi
