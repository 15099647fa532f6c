#!/usr/bin/env bash
# Runs every test binary under valgrind memcheck: any error or leak fails the run. The tests'
# own operator new (allocation_test counts and fails allocations with it) stays theirs: valgrind
# sees the malloc it calls.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh valgrind
cmake --preset valgrind >/dev/null
cmake --build --preset valgrind --parallel "$(nproc)"
status=0
for test in build/valgrind/tests/*_test; do
  echo "== valgrind $test"
  valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect,possible --soname-synonyms=somalloc=nouserintercepts \
    "$test" --gtest_brief=1 || status=1
done
exit $status
