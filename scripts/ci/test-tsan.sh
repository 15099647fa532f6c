#!/usr/bin/env bash
# Builds the library and the tests with ThreadSanitizer and runs the tests that use several
# threads at once: the library's concurrency test and the SQLite store example's test (a store
# per thread). Any report of a data race fails the run.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh libsqlite3-dev
cmake --preset tsan >/dev/null
cmake --build --preset tsan --parallel "$(nproc)"
# The test preset sets TSAN_OPTIONS and picks the tests.
ctest --preset tsan --parallel "$(nproc)"
