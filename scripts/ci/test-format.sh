#!/usr/bin/env bash
# Checks the archive descriptions in format/ against the library: installs the pinned Kaitai
# Struct compilers (0.11, and 0.10 for Python) and runtime from format/package-lock.json,
# generates parsers for JavaScript, Java, Go, C# and Python into format/build (and, as a check
# that 0.10 takes the descriptions, JavaScript with 0.10 too), builds the dataobjects tool, and
# holds the JavaScript parser (node's test runner) and the Python parser (pytest, with Debian's
# 0.10 runtime) against `dataobjects dump --json` (tests/format). Installs node, npm,
# python3-kaitaistruct and python3-pytest from Debian when they are missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS

if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  scripts/install-deps.sh nodejs npm
fi
scripts/install-deps.sh python3-kaitaistruct python3-pytest
cmake --preset test >/dev/null
cmake --build --preset test --parallel "$(nproc)" --target dataobjects >/dev/null

npm ci --prefix format --no-audit --no-fund --loglevel=error
rm -rf format/build
node format/compile.js javascript java go csharp python >/dev/null
node format/compile.js --compiler 0.10 --out format/build/compiler-0.10 javascript >/dev/null
echo "compiled $(cd format && ls ./*.ksy common/*.ksy | tr '\n' ' ')for: $(ls format/build | tr '\n' ' ')"

random=$(mktemp -d)
trap 'rm -rf "$random"' EXIT
export DATAOBJECTS_TOOL=build/test/tools/dataobjects FORMAT_RANDOM_ARCHIVES=$random
node --test tests/format/*_test.js
# Debian's python3 (the runtime is a Debian package), whatever python3 comes first on the PATH.
/usr/bin/python3 -m pytest -q -p no:cacheprovider tests/format
echo "format check took $((SECONDS - start)) s"
