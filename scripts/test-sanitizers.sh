#!/usr/bin/env bash
# Builds the library and every test with AddressSanitizer and UndefinedBehaviorSanitizer (no
# recovery: the first report fails the test) and runs the whole suite, the Python module's tests
# with it (python3 with the sanitizer's runtime preloaded, see python/CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh pybind11-dev python3-dev python3-pytest python3-matplotlib \
  python3-numpy python3-pandas python3-dask python3-distributed python3-fsspec python3-hypothesis
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DDATAOBJECTS_SANITIZE=ON \
  -DDATAOBJECTS_WERROR=ON >/dev/null
cmake --build build/sanitize --parallel "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/sanitize --output-on-failure --parallel "$(nproc)"
