#!/usr/bin/env bash
# What each operation of bench/arm_cost/arm_cost.cpp costs on 32-bit ARM, in guest instructions
# counted under qemu-arm by the plugin bench/arm_cost/insn_count_plugin.c, against the committed
# baseline bench/arm_cost/baseline.txt. Instruction counts do not depend on the machine's load,
# so a rise is a change of the code (or of the toolchain), never noise.
#
#   scripts/ci/arm-cost.sh            measure, print the tables, compare with the baseline
#   scripts/ci/arm-cost.sh --update   measure and rewrite the baseline with what was measured
#
# Exits with 1 when an operation costs more than 2 % over its baseline, has no baseline, or counts
# differently in two identical runs. The targets set for the codec and for the details are printed
# with their ratios; a target not met does not fail the run. Prepares the ARM folder with
# scripts/ci/test-arm.sh --prepare (about a minute the first time), then builds in build/arm-cost.
set -euo pipefail
cd "$(dirname "$0")/../.."

readonly triplet=arm-linux-gnueabihf
readonly build_dir=$PWD/build/arm-cost
readonly run_dir=$build_dir/run
readonly plugin=$build_dir/libinsn_count.so
readonly baseline=bench/arm_cost/baseline.txt
# qemu's default CPU is its newest model, which changes between qemu versions, and glibc picks its
# string functions by the CPU's features: name one, a common 32-bit core with NEON.
readonly cpu=cortex-a7
readonly count=1024 # operations in a measured run; a multiple of 64
readonly tolerance=2 # percent over the baseline that fails
sysroot=$(realpath -m "${DATAOBJECTS_ARM_SYSROOT:-build/arm-sysroot}")
readonly sysroot

update=false
case "${1:-}" in
  --update) update=true ;;
  "") ;;
  *)
    echo "usage: scripts/ci/arm-cost.sh [--update]" >&2
    exit 2
    ;;
esac

step() { printf '== %s\n' "$*" >&2; }

build() {
  DATAOBJECTS_ARM_SYSROOT=$sysroot scripts/ci/test-arm.sh --prepare >&2
  step "Building the cost runner for armhf (-O3) in $build_dir"
  cmake --preset arm-cost -DDATAOBJECTS_ARM_SYSROOT="$sysroot" >/dev/null
  cmake --build --preset arm-cost --parallel "$(nproc)" >&2
  local source=bench/arm_cost/insn_count_plugin.c
  if [ ! -e "$plugin" ] || [ "$source" -nt "$plugin" ]; then
    step "Building the counting plugin for the host"
    cc -std=c11 -O2 -fPIC -shared -fvisibility=hidden -Wall -Wextra -Wpedantic -Wconversion \
      -Werror -o "$plugin" "$source"
  fi
}

# The runner runs from run/ with relative paths only (its name, LD_LIBRARY_PATH), so that what
# the guest sees is the same in every checkout; the runner pins its stack's alignment itself.
prepare_run_dir() {
  rm -rf "$run_dir"
  mkdir -p "$run_dir/lib"
  ln -s "$build_dir/bench/arm_cost/arm_cost" "$run_dir/arm_cost"
  ln -s "$build_dir/libdataobjects_data.so.1" "$run_dir/lib/"
  local name dir
  for name in libz.so.1 libuuid.so.1; do
    for dir in "$sysroot/lib/$triplet" "$sysroot/usr/lib/$triplet"; do
      if [ -e "$dir/$name" ]; then
        ln -s "$dir/$name" "$run_dir/lib/"
        break
      fi
    done
  done
}

# Guest instructions of one whole run of `arm_cost OPERATION COUNT`, with an empty environment
# but for LD_LIBRARY_PATH and the count written with 8 digits, so that runs of every count are
# laid out alike.
instructions() {
  local log
  log=$run_dir/$1.$2.log
  if ! (cd "$run_dir" && env -i "$qemu" -cpu "$cpu" -L "/usr/$triplet" -E LD_LIBRARY_PATH=lib \
    -plugin "$plugin" -d plugin -D "$log" ./arm_cost "$1" "$(printf %08d "$2")"); then
    echo "error: arm_cost $1 $2 failed" >&2
    return 1
  fi
  sed -n 's/^insns: //p' "$log"
}

# OPERATION -> "OPERATION INSTRUCTIONS_PER_OPERATION". Runs COUNT and 0 twice each; the two runs
# of each count must agree to the instruction.
measure() {
  local op=$1 n1 n2 z1 z2
  n1=$(instructions "$op" "$count") || return 1
  z1=$(instructions "$op" 0) || return 1
  n2=$(instructions "$op" "$count") || return 1
  z2=$(instructions "$op" 0) || return 1
  if [ -z "$n1" ] || [ -z "$z1" ] || [ "$n1" != "$n2" ] || [ "$z1" != "$z2" ]; then
    echo "error: $op: runs do not agree (count $count: '$n1' '$n2', count 0: '$z1' '$z2')" >&2
    return 1
  fi
  awk -v op="$op" -v n="$n1" -v z="$z1" -v c="$count" 'BEGIN { printf "%s %.1f\n", op, (n - z) / c }'
}

# What the guest runs: the compiler and the ARM C and C++ runtime that qemu's -L finds.
toolchain() {
  local package line
  line=$("$triplet-g++" --version | head -n 1)
  for package in libc6-armhf-cross libstdc++6-armhf-cross; do
    line+=", $package $(dpkg-query -W -f='${Version}' "$package" 2>/dev/null || echo unknown)"
  done
  echo "$line"
}

# The per-operation table against the baseline (file $1), then a "FAIL" line for each operation
# that rose more than the tolerance or has no baseline; exits with 1 when there is one.
compare() {
  awk -v tolerance="$tolerance" '
    function commas(x,   s, f, out) {
      s = sprintf("%.1f", x); f = substr(s, length(s) - 1); s = substr(s, 1, length(s) - 2)
      out = ""
      while (length(s) > 3) { out = "," substr(s, length(s) - 2) out; s = substr(s, 1, length(s) - 3) }
      return s out f
    }
    FILENAME == ARGV[1] { if ($0 !~ /^#/ && NF == 2) base[$1] = $2; next }
    {
      op = $1; now = $2
      if (!(op in base)) {
        printf "| %s | %s | none | |\n", op, commas(now)
        failures = failures sprintf("FAIL %s: no baseline (scripts/ci/arm-cost.sh --update records one)\n", op)
        next
      }
      change = base[op] > 0 ? 100 * (now - base[op]) / base[op] : 0
      printf "| %s | %s | %s | %+.2f %% |\n", op, commas(now), commas(base[op]), change
      if (change > tolerance) {
        failures = failures sprintf("FAIL %s: %.1f instructions, %.2f %% over its baseline %.1f\n", op, now, change, base[op])
      }
    }
    END { if (failures != "") { printf "\n%s", failures; exit 1 } }' "$1" "$2"
}

# The targets: this library's cost against another's (cereal's, or the same round trip without
# details: at most LIMIT times), or the other's cost against this library's (the stream route, or
# details texts that all differ, which the compressor's memo cannot help: a speed-up of at least
# LIMIT). Rows without a limit are shown for comparison only.
targets() {
  awk '
    function commas(x,   s, out) {
      s = sprintf("%.0f", x); out = ""
      while (length(s) > 3) { out = "," substr(s, length(s) - 2) out; s = substr(s, 1, length(s) - 3) }
      return s out
    }
    function row(what, library, other, speedup, limit,   ratio, verdict) {
      if (!(library in cost) || !(other in cost) || cost[library] <= 0 || cost[other] <= 0) return
      ratio = speedup ? cost[other] / cost[library] : cost[library] / cost[other]
      if (limit == "") verdict = "| | |"
      else if (speedup) verdict = sprintf("| ≥ %s | %s |", limit, ratio >= limit ? "met" : "not met")
      else verdict = sprintf("| ≤ %s | %s |", limit, ratio <= limit ? "met" : "not met")
      printf "| %s | %s | %s | %.2f %s\n", what, commas(cost[library]), commas(cost[other]), ratio, verdict
    }
    { cost[$1] = $2 }
    END {
      print "| Measure (instructions per operation) | This library | Compared with | Ratio | Target | |"
      print "|---|---|---|---|---|---|"
      row("JobDataDO round trip (against cereal)", "jobdata_roundtrip", "jobdata_roundtrip_cereal", 0, 0.8)
      row("AlarmDataDO round trip, every nullable field set (against cereal)", "alarmdata_roundtrip", "alarmdata_roundtrip_cereal", 0, 4)
      row("double write, random (speed-up over the stream route)", "double_write", "double_write_stream_route", 1, 6)
      row("double read, random (speed-up over the stream route)", "double_read", "double_read_stream_route", 1, 5)
      row("MeasurementDataDO round trip, 64 KiB blob, no details (against cereal)", "measurement_roundtrip_64k", "measurement_roundtrip_64k_cereal", 0, 1.05)
      row("MeasurementDataDO round trip, 200-byte details text repeated (against none)", "measurement_roundtrip_details_200", "measurement_roundtrip_no_details", 0, 4)
      row("CharacteristicValueDataDO round trip, 200-byte details text repeated (against none)", "characteristic_roundtrip_details_200", "characteristic_roundtrip_no_details", 0, 4)
      row("MeasurementDataDO round trip, 8,000-byte details text repeated (speed-up over texts that all differ)", "measurement_roundtrip_details_8000", "measurement_roundtrip_details_8000_distinct", 1, 20)
      row("CharacteristicValueDataDO round trip, 8,000-byte details text repeated (speed-up over texts that all differ)", "characteristic_roundtrip_details_8000", "characteristic_roundtrip_details_8000_distinct", 1, 20)
      row("double write, whole numbers (speed-up over the stream route)", "double_write_whole", "double_write_whole_stream_route", 1, "")
      row("double read, whole numbers (speed-up over the stream route)", "double_read_whole", "double_read_whole_stream_route", 1, "")
      row("JobDataDO round trip, new archive (against cereal, new stream)", "jobdata_roundtrip_new_archive", "jobdata_roundtrip_new_archive_cereal", 0, "")
      row("MeasurementDataDO round trip, 64 KiB blob (against two aligned memcpys)", "measurement_roundtrip_64k", "blob_64k_memcpy", 0, "")
    }' "$1"
}

main() {
  command -v qemu-arm >/dev/null || scripts/install-deps.sh qemu-user
  qemu=$(command -v qemu-arm)
  readonly qemu
  local started=$SECONDS
  build
  prepare_run_dir
  step "Counting instructions under qemu-arm -cpu $cpu ($count operations against none, each twice)"
  local results=$build_dir/results.txt operations op
  operations=$(cd "$run_dir" && "$qemu" -cpu "$cpu" -L "/usr/$triplet" -E LD_LIBRARY_PATH=lib \
    ./arm_cost --list)
  : >"$results"
  for op in $operations; do
    measure "$op" >>"$results"
  done

  echo
  echo "Guest instructions per operation ($count operations; $(toolchain))"
  echo
  echo "| Operation | Instructions | Baseline | Change |"
  echo "|---|---|---|---|"
  local status=0
  local old=$baseline
  [ -e "$old" ] || old=/dev/null
  if [ "$update" = true ]; then
    compare "$old" "$results" | grep -v '^FAIL' || true
    {
      echo "# Guest instructions per operation on 32-bit ARM, counted under qemu-arm by"
      echo "# scripts/ci/arm-cost.sh, which fails when one costs more than $tolerance % over its line here."
      echo "# Rewritten on purpose with scripts/ci/arm-cost.sh --update. Measured with:"
      echo "# $(toolchain)"
      sort "$results"
    } >"$baseline"
    echo
    echo "Baseline rewritten: $baseline"
  else
    compare "$old" "$results" || status=1
  fi
  echo
  targets "$results"
  echo
  if [ -e "$baseline" ] && ! grep -qF "# $(toolchain)" "$baseline"; then
    echo "note: the baseline was measured with another compiler or ARM runtime:" \
      "$(sed -n 4p "$baseline")"
  fi
  echo "Measured in $((SECONDS - started)) s."
  if [ $status -ne 0 ]; then
    echo "An operation costs more than its baseline allows (FAIL above). If that is intended," \
      "record it with scripts/ci/arm-cost.sh --update and commit bench/arm_cost/baseline.txt."
  fi
  return $status
}

main "$@"
