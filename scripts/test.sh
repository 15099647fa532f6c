#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh libsqlite3-dev clang  # the SQLite store example; the public names check
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDATAOBJECTS_WERROR=ON >/dev/null
cmake --build build/test --parallel "$(nproc)"
ctest --test-dir build/test --output-on-failure --parallel "$(nproc)"
