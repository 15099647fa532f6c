#!/usr/bin/env bash
# Builds the library and every test with AddressSanitizer and UndefinedBehaviorSanitizer (no
# recovery: the first report fails the test) and runs the whole suite, the Python module's tests
# with it (python3 with the sanitizer's runtime preloaded, see python/CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh pybind11-dev python3-dev python3-pytest python3-matplotlib \
  python3-numpy python3-pandas python3-dask python3-distributed python3-fsspec python3-hypothesis
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize --parallel "$(nproc)"
# The test preset sets ASAN_OPTIONS and UBSAN_OPTIONS.
ctest --preset sanitize --parallel "$(nproc)"
