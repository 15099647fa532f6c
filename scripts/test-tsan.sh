#!/usr/bin/env bash
# Builds the library and the tests with ThreadSanitizer and runs the tests that use several
# threads at once: the library's concurrency test and the SQLite store example's test (a store
# per thread). Any report of a data race fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh libsqlite3-dev
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDATAOBJECTS_TSAN=ON \
  -DDATAOBJECTS_WERROR=ON -DDATAOBJECTS_BUILD_TOOLS=OFF -DDATAOBJECTS_BUILD_PYTHON=OFF >/dev/null
cmake --build build/tsan --parallel "$(nproc)" --target concurrency_test DataObjectStore_test
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
ctest --test-dir build/tsan --output-on-failure --parallel "$(nproc)" -R 'Concurrency|DataObjectStore'
