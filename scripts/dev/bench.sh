#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them, writing the results as JSON to
# build/bench/results.json (or $1) and the throughput plot beside it (throughput.png), then
# measures the peak memory of reading a MeasurementDataDO with a 64 MiB blob.
# Extra arguments go to Google Benchmark, e.g. --benchmark_filter=Blob.
# Usage: scripts/dev/bench.sh [RESULTS.json] [--benchmark_... ...]
set -euo pipefail
cd "$(dirname "$0")/../.."
results=build/bench/results.json
if [ $# -gt 0 ] && [[ $1 != --* ]]; then
  results=$1
  shift
fi
scripts/install-deps.sh libbenchmark-dev libcereal-dev libmsgpack-cxx-dev libdeflate-dev \
  python3-matplotlib
cmake --preset bench >/dev/null
cmake --build --preset bench --parallel "$(nproc)"
mkdir -p "$(dirname "$results")"
# Keep freed memory in the process: otherwise every large buffer is a fresh mapping whose page
# faults (slow on virtual machines) swamp what is measured, for every contender alike.
export GLIBC_TUNABLES=glibc.malloc.mmap_threshold=268435456:glibc.malloc.trim_threshold=268435456
build/bench/bench/dataobjects_bench --benchmark_out="$results" --benchmark_out_format=json \
  --benchmark_counters_tabular=true "$@"
env -u GLIBC_TUNABLES build/bench/bench/dataobjects_memory_peak
env -u GLIBC_TUNABLES build/bench/bench/dataobjects_details_memory
# Debian's python3 is the one with python3-matplotlib.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" bench/plot.py "$results" "$(dirname "$results")/throughput.png"
# The round trips that targets compare run again, seven times each in random order: their
# medians decide, since single runs of them move by 10 to 20 % on a shared machine.
repeated=$(dirname "$results")/round-trips.json
build/bench/bench/dataobjects_bench --benchmark_filter='BM_RoundTrip/|BM_Archive_' \
  --benchmark_repetitions=7 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$repeated" --benchmark_out_format=json >/dev/null
echo
echo "Targets (x86-64, from $results and the medians of $repeated):"
"$python" bench/report.py "$results" "$repeated"
