#!/usr/bin/env bash
# Cross-builds the library, its tests and the demo for 32-bit ARM (armhf), then runs the demo
# and every test under qemu-arm. Run as root on Debian 12 x86-64 the first time: it installs the
# cross toolchain and qemu when they are missing and prepares, once, a private folder with the
# ARM builds of zlib, libuuid and GoogleTest (build/arm-sysroot, or DATAOBJECTS_ARM_SYSROOT).
# With --prepare it stops once that folder is ready (scripts/ci/arm-cost.sh uses it so).
set -euo pipefail
cd "$(dirname "$0")/../.."

readonly triplet=arm-linux-gnueabihf
readonly toolchain=$PWD/cmake/toolchains/$triplet.cmake
readonly build_dir=$PWD/build/arm
sysroot=$(realpath -m "${DATAOBJECTS_ARM_SYSROOT:-build/arm-sysroot}")
readonly sysroot
readonly work_dir=$PWD/build/arm-deps # apt state, downloaded .deb files, the GoogleTest build
# The command-line tool also needs CLI11 and nlohmann-json: header-only, architecture "all". The
# instruction-cost runner compares with cereal and msgpack, header-only too; their dependencies
# (RapidJSON, Boost) are not needed and not unpacked.
readonly target_packages=(zlib1g:armhf zlib1g-dev:armhf libuuid1:armhf uuid-dev:armhf libcli11-dev
  nlohmann-json3-dev libcereal-dev:armhf libmsgpack-cxx-dev:armhf)
jobs=$(nproc)
readonly jobs

step() { printf '== %s\n' "$*"; }

install_host_packages() {
  scripts/install-deps.sh crossbuild-essential-armhf qemu-user googletest
}

# apt with its own package lists, cache and (empty) status, so fetching armhf packages neither
# adds a foreign architecture to this machine nor takes the system's apt locks.
private_apt() {
  apt-get -q -o Dir::State::Lists="$work_dir/apt/lists" -o Dir::Cache="$work_dir/apt/cache" \
    -o Dir::State::status="$work_dir/apt/status" -o APT::Architectures::=armhf \
    -o APT::Sandbox::User=root "$@"
}

download_target_packages() {
  mkdir -p "$work_dir/apt/lists/partial" "$work_dir/apt/cache/archives/partial" "$work_dir/debs"
  : >"$work_dir/apt/status"
  # One index failing (a mirror in mid-sync, often the security one) is not fatal: the download
  # below fails if it needed that index.
  if ! private_apt update >"$work_dir/apt/update.log" 2>&1; then
    echo "warning: some package indexes failed to download; see $work_dir/apt/update.log" >&2
  fi
  rm -f "$work_dir/debs"/*.deb
  (cd "$work_dir/debs" && private_apt download "${target_packages[@]}" >/dev/null)
}

# Debian's development links may be absolute (libz.so -> /lib/arm-linux-gnueabihf/libz.so.1...);
# point each into the folder, relative to where the link lives.
relink_absolute_symlinks() {
  local link target
  while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    [[ $target == /* ]] || continue
    ln -sfn "$(realpath -ms --relative-to="$(dirname "$link")" "$sysroot$target")" "$link"
  done < <(find "$sysroot" -type l -print0)
}

unpack_target_packages() {
  [ "$(cat "$sysroot/.packages-unpacked" 2>/dev/null)" = "${target_packages[*]}" ] && return
  step "Unpacking zlib and libuuid for armhf into $sysroot"
  download_target_packages
  mkdir -p "$sysroot"
  local deb
  for deb in "$work_dir/debs"/*.deb; do
    dpkg -x "$deb" "$sysroot"
  done
  relink_absolute_symlinks
  echo "${target_packages[*]}" >"$sysroot/.packages-unpacked"
}

install_googletest() {
  [ -e "$sysroot/.googletest-installed" ] && return
  step "Cross-building GoogleTest into $sysroot"
  cmake -S /usr/src/googletest -B "$work_dir/googletest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DDATAOBJECTS_ARM_SYSROOT="$sysroot" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
    -DCMAKE_INSTALL_PREFIX="$sysroot/usr" -DCMAKE_INSTALL_LIBDIR=lib >/dev/null
  cmake --build "$work_dir/googletest" --parallel "$jobs"
  cmake --install "$work_dir/googletest" >/dev/null
  touch "$sysroot/.googletest-installed"
}

build_project() {
  step "Building for armhf in $build_dir"
  cmake --preset arm -DDATAOBJECTS_ARM_SYSROOT="$sysroot" >/dev/null
  cmake --build --preset arm --parallel "$jobs"
}

# Fails unless FILE is a 32-bit ARM ELF built for the hard-float ABI.
check_arm_elf() {
  local header
  header=$(readelf -h "$1")
  if ! grep -Eq 'Class:[[:space:]]+ELF32$' <<<"$header" ||
    ! grep -Eq 'Machine:[[:space:]]+ARM$' <<<"$header" ||
    ! grep -q 'hard-float ABI' <<<"$header"; then
    echo "error: $1 is not a 32-bit hard-float ARM ELF:" >&2
    echo "$header" >&2
    return 1
  fi
  echo "$1: 32-bit ARM ELF, hard-float ABI"
}

# The same command as CMAKE_CROSSCOMPILING_EMULATOR in the toolchain file.
run_on_arm() {
  qemu-arm -L "/usr/$triplet" \
    -E "LD_LIBRARY_PATH=$sysroot/lib/$triplet:$sysroot/usr/lib/$triplet" "$@"
}

main() {
  install_host_packages
  unpack_target_packages
  install_googletest
  [ "${1:-}" = --prepare ] && return
  build_project
  check_arm_elf "$build_dir/libdataobjects_data.so"
  check_arm_elf "$build_dir/tools/dataobjects"
  step "Running the demo under qemu-arm"
  run_on_arm "$build_dir/tools/dataobjects" demo
  step "Running the tests under qemu-arm"
  ctest --preset arm --parallel "$jobs"
}

main "$@"
