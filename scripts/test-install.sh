#!/usr/bin/env bash
# Builds a Release tree, installs it into a staging prefix and checks what comes out: the
# installed files, each installed header compiled on its own, the symbols the library exports,
# the consumer example built with the CMake package, with pkg-config and from source, the Debian
# packages and their contents (and the consumer built against them), and the SQLite store
# example's test built against the installed library. Exits non-zero on the first failure.
# The build folders go under DATAOBJECTS_INSTALL_BUILD_DIR (default build/install).
set -euo pipefail
cd "$(dirname "$0")/.."

root=$(realpath -m "${DATAOBJECTS_INSTALL_BUILD_DIR:-build/install}")
readonly root release=$root/release stage=$root/stage
jobs=$(nproc)
readonly jobs

step() { printf '== %s\n' "$*"; }
fail() {
  printf 'error: %b\n' "$*" >&2
  exit 1
}

build_and_install() {
  step "Release build in $release"
  cmake -S . -B "$release" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DDATAOBJECTS_WERROR=ON -DDATAOBJECTS_BUILD_TESTS=OFF -DDATAOBJECTS_BUILD_EXAMPLES=OFF >/dev/null
  cmake --build "$release" --parallel "$jobs"
  step "Installing into $stage"
  rm -rf "$stage"
  cmake --install "$release" --prefix "$stage" >/dev/null
}

# The installed headers are exactly those of the source tree, each compiles on its own, and the
# library file carries its SONAME links.
check_install_tree() {
  step "Installed files"
  (cd "$stage" && find . -mindepth 1 \( -type f -o -type l \) -printf '%P\n' | sort)
  diff <(cd "$stage/include/dataobjects_data" && find . -type f | sort) \
    <(find ./platform ./libs ./dataobjects -path ./dataobjects/detail -prune -o \
      \( -name '*.h' -o -name Serialize \) -print | sort) ||
    fail "the installed headers differ from the source tree's (< installed, > source)"
  local lib=$stage/$libdir/libdataobjects_data.so
  [ "$(readlink "$lib")" = libdataobjects_data.so.1 ] || fail "$lib does not link to .so.1"
  [ "$(readlink "$lib.1")" = libdataobjects_data.so.1.0.0 ] || fail "$lib.1 does not link to .so.1.0.0"
  readelf -d "$lib.1.0.0" | grep -q 'SONAME.*\[libdataobjects_data\.so\.1\]' || fail "wrong SONAME"
  local name
  for config in dataobjects_dataConfig dataobjects_dataConfigVersion dataobjects_dataTargets; do
    name=$stage/$libdir/cmake/dataobjects_data/$config.cmake
    [ -f "$name" ] || fail "$name is missing"
  done
  grep -qx "prefix=$stage" "$stage/$libdir/pkgconfig/dataobjects_data.pc" ||
    fail "dataobjects_data.pc does not name the prefix it was installed under"

  step "Each installed header compiled on its own"
  local header
  while IFS= read -r header; do
    printf '#include "%s"\n' "$header" |
      "${CXX:-c++}" -std=c++17 -fsyntax-only -Wall -Wextra -Wpedantic -Wconversion -Werror \
        -I"$stage/include/dataobjects_data" -x c++ - || fail "$header does not compile on its own"
  done < <(cd "$stage/include/dataobjects_data" && find . -type f -printf '%P\n' | sort)
}

# Only the public API is exported, and with it the typeinfo of every exception, so that an
# application catches them by type. Standard-library template code instantiated in the library
# is exported as weak symbols; nothing else may be.
check_exports() {
  step "Exported symbols"
  local lib=$stage/$libdir/libdataobjects_data.so.1.0.0 symbols unexpected hidden
  nm -D --defined-only "$lib" | awk '{ print $2 }' | sort | uniq -c
  symbols=$(nm -DC --defined-only "$lib" | cut -d' ' -f3-)
  for type in TesmiraException KavSerialize::SerializationException DataObjectException \
    CompressionException; do
    grep -qx "typeinfo for $type" <<<"$symbols" || fail "typeinfo for $type is not exported"
    echo "typeinfo for $type: exported"
  done
  local classes='Archive|Uuid|UuidEntryDO|Options|TesmiraException|CompressionException'
  classes+='|CompressionZLibBase|CompressionGZip|DataObjectException|KavSerialize::[A-Za-z_:]+'
  classes+='|BaseDataObject|JobDataDO|MeasurementDataDO|CharacteristicValueDataDO'
  classes+='|CharacteristicValueDataMeasurementDataMapDO|TrendDataDO|AlarmDataDO|AlarmLearningValuesDO'
  unexpected=$(sed -E 's/^(typeinfo name for|typeinfo for|vtable for|VTT for|(non-)?virtual thunk to) //' \
    <<<"$symbols" |
    grep -Ev "^(($classes)(::|\$)|operator(<<|>>)\(Archive&, |(void )?std::)" || true)
  [ -z "$unexpected" ] || fail "exported beyond the public API:\n$unexpected"
  echo "every exported symbol belongs to the public API or is a standard-library instantiation"
  # A public function declared without DATAOBJECTS_DATA_API stays a local symbol of the library.
  hidden=$(nm -C --defined-only "$lib" | awk '$2 == "t"' | cut -d' ' -f3- | grep -v '\[clone ' |
    grep -E "^(($classes)(::|\$)|operator(<<|>>)\(Archive&, )" || true)
  [ -z "$hidden" ] || fail "functions of the public API are not exported:\n$hidden"
  echo "no function of the public API is hidden"
}

build_consumers() {
  step "Consumer built with the CMake package"
  local build=$root/consumer-cmake
  cmake -S examples/consumer -B "$build" -DCMAKE_PREFIX_PATH="$stage" >/dev/null
  cmake --build "$build"
  ldd "$build/consumer" | grep -F "$stage/" || fail "the consumer does not load the installed library"
  "$build/consumer"

  step "Consumer built with pkg-config (Makefile)"
  build=$root/consumer-pkg-config
  make -C examples/consumer --always-make BUILD="$build" PKG_CONFIG_PATH="$stage/$libdir/pkgconfig"
  LD_LIBRARY_PATH="$stage/$libdir" "$build/consumer"

  step "Consumer built with the library's sources (add_subdirectory)"
  build=$root/consumer-source
  cmake -S examples/consumer -B "$build" -DDATAOBJECTS_SOURCE_DIR="$PWD" >/dev/null
  cmake --build "$build" --parallel "$jobs"
  ! grep -q 'libdataobjects_data\.so' "$build/dataobjects_data/cmake_install.cmake" ||
    fail "the library installs itself although it is not the top-level project"
  "$build/consumer"
}

# check_package NAME DEPENDS-PATTERN PATH...: the package exists, its Depends match the extended
# regular expression, and it holds each PATH (relative to /usr).
check_package() {
  local package=$1 depends=$2 file contents path
  shift 2
  file=$release/packages/${package}_${version}-1_$(dpkg --print-architecture).deb
  [ -f "$file" ] || fail "$file was not built"
  echo "-- $(basename "$file")"
  dpkg-deb -f "$file" Package Version Architecture Section Depends
  dpkg-deb -c "$file"
  dpkg-deb -f "$file" Depends | grep -Eq "$depends" || fail "$package: Depends lacks $depends"
  contents=$(dpkg-deb -c "$file" | awk '{ print $6 }')
  for path in "$@"; do
    grep -qx "./usr/$path" <<<"$contents" || fail "$package does not hold /usr/$path"
  done
}

check_packages() {
  step "Debian packages"
  rm -rf "$release/packages"
  (cd "$release" && cpack -G DEB >/dev/null)
  local include=include/dataobjects_data cmake_dir=$libdir/cmake/dataobjects_data
  check_package libdataobjects-data1 'zlib1g.*libuuid1|libuuid1.*zlib1g' \
    "$libdir/libdataobjects_data.so.1.0.0" "$libdir/libdataobjects_data.so.1"
  check_package libdataobjects-data-dev "libdataobjects-data1 \(= $version-1\)" \
    "$libdir/libdataobjects_data.so" "$include/platform/Archive.h" \
    "$include/libs/utilities/archive/Serialize" "$include/dataobjects/JobDataDO.h" \
    "$cmake_dir/dataobjects_dataConfig.cmake" "$cmake_dir/dataobjects_dataConfigVersion.cmake" \
    "$cmake_dir/dataobjects_dataTargets.cmake" "$libdir/pkgconfig/dataobjects_data.pc"
  if [ -e "$release/tools/dataobjects" ]; then
    check_package dataobjects-tools "libdataobjects-data1 \(= $version-1\)" bin/dataobjects
  else
    echo "-- no dataobjects tool in this tree: no dataobjects-tools package expected"
  fi

  step "Consumer built against the unpacked runtime and development packages"
  local unpacked=$root/unpacked build=$root/consumer-packages
  rm -rf "$unpacked"
  for file in "$release"/packages/libdataobjects-data{1,-dev}_*.deb; do
    dpkg-deb -x "$file" "$unpacked"
  done
  grep -qx 'prefix=/usr' "$unpacked/usr/$libdir/pkgconfig/dataobjects_data.pc" ||
    fail "the packaged dataobjects_data.pc does not name /usr"
  cmake -S examples/consumer -B "$build" -DCMAKE_PREFIX_PATH="$unpacked/usr" >/dev/null
  cmake --build "$build"
  "$build/consumer" | tail -n 1
}

test_sqlite_store() {
  step "SQLite store example against the installed library"
  local build=$root/sqlite-store
  cmake -S examples/sqlite_store -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$stage" >/dev/null
  cmake --build "$build" --parallel "$jobs"
  ctest --test-dir "$build" --output-on-failure
}

scripts/install-deps.sh libsqlite3-dev dpkg-dev file
build_and_install
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$release/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release/CMakeCache.txt")
readonly libdir version
check_install_tree
check_exports
build_consumers
check_packages
test_sqlite_store
step "Install, packages and examples: all checks passed"
