#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer on)
# and runs each for SECONDS (default 20), starting from the seed corpora: the golden archives
# under tests/data/ for the data objects, fuzz/seeds/<target>/ for the others.
# Usage: scripts/ci/fuzz.sh [SECONDS] [TARGET ...]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-20}
shift || true

scripts/install-deps.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --parallel "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for binary in build/fuzz/fuzz/fuzz_*; do targets+=("$(basename "$binary")"); done
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  seeds=build/fuzz/seeds/$target
  mkdir -p "$corpus" "$seeds"
  class=${target#fuzz_}
  find tests/data -name "${class}*.bin" -exec cp {} "$seeds/" \; 2>/dev/null || true
  [ -d "fuzz/seeds/$target" ] && cp fuzz/seeds/"$target"/* "$seeds/"
  echo "== $target for ${seconds}s"
  build/fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build/fuzz/$target-" "$corpus" "$seeds" 2>&1 |
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb|==|SUMMARY|Done)|ERROR|fuzz check failed|cov:' |
    tail -n 8
  # libFuzzer exits non-zero on a crash, a leak, a timeout or a failed check.
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "$target failed" >&2; exit 1; }
done
