#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
# The SQLite store example; the public names check; the Python module, its tests and example.
scripts/install-deps.sh libsqlite3-dev clang pybind11-dev python3-dev python3-pytest \
  python3-msgpack python3-matplotlib \
  python3-numpy python3-pandas python3-dask python3-distributed python3-fsspec python3-hypothesis
cmake --preset test >/dev/null
cmake --build --preset test --parallel "$(nproc)"
ctest --preset test --parallel "$(nproc)"
