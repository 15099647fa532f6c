#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
# The SQLite store example; the public names check; the Python module, its tests and example.
scripts/install-deps.sh libsqlite3-dev clang pybind11-dev python3-dev python3-pytest python3-hypothesis \
  python3-msgpack python3-matplotlib
cmake --preset test >/dev/null
cmake --build --preset test --parallel "$(nproc)"
ctest --preset test --parallel "$(nproc)"
