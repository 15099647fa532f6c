#!/usr/bin/env bash
# Line and branch coverage of the library code (platform/, libs/, dataobjects/) over the test
# suite, printed by gcovr. Fails when line coverage is below the threshold (default 95).
set -euo pipefail
cd "$(dirname "$0")/../.."
threshold=${COVERAGE_THRESHOLD:-95}
scripts/install-deps.sh gcovr
cmake --preset coverage >/dev/null
cmake --build --preset coverage --parallel "$(nproc)"
find build/coverage -name '*.gcda' -delete
ctest --preset coverage --parallel "$(nproc)" >/dev/null
filters=(--filter 'platform/' --filter 'libs/' --filter 'dataobjects/')
common=(--root . --object-directory build/coverage "${filters[@]}" --exclude-throw-branches
  --exclude-unreachable-branches)
gcovr "${common[@]}" --branches --txt build/coverage/branches.txt
# Per-file lines with the uncovered line numbers, then the totals of lines and branches.
gcovr "${common[@]}" --print-summary --fail-under-line "$threshold"
