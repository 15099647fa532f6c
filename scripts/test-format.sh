#!/usr/bin/env bash
# Checks the archive description format/dataobjects_archive.ksy against the library: installs the
# pinned Kaitai Struct compiler and runtime from package-lock.json, generates parsers for
# JavaScript, Java, Go, C# and Python into build/format (the Python one is also byte-compiled),
# builds the dataobjects tool, and holds the JavaScript parser against `dataobjects dump --json`
# (tests/format). Installs node and npm from Debian when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  scripts/install-deps.sh nodejs npm
fi
scripts/install-deps.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDATAOBJECTS_WERROR=ON >/dev/null
cmake --build build/test --parallel "$(nproc)" --target dataobjects >/dev/null

npm ci --no-audit --no-fund --loglevel=error
rm -rf build/format
node format/compile.js --out build/format javascript java go csharp python >/dev/null
python3 -m py_compile build/format/python/dataobjects_archive.py
echo "compiled format/dataobjects_archive.ksy for: $(ls build/format | tr '\n' ' ')"

DATAOBJECTS_TOOL=build/test/tools/dataobjects node --test tests/format/*_test.js
echo "format check took $((SECONDS - start)) s"
