#!/usr/bin/env bash
# Builds a Release tree, installs it into a staging prefix and checks what comes out: the
# installed files, each installed header compiled on its own, the symbols the library exports,
# the consumer example built with the CMake package, with pkg-config and from source, the Debian
# packages (contents, control files, lintian without errors or warnings, the exported symbols
# against packaging/libdataobjects-data1.symbols), the packages installed into a scratch root
# with dpkg (the ldconfig trigger, the tool, its manual page, gdb finding the -dbgsym files, the
# Python module imported from them, the consumer built against them), the armhf packages of a cross build (the sysroot of
# scripts/ci/test-arm.sh must exist), and the SQLite store example's test built against the
# installed library. Exits non-zero on the first failure.
# The build folders go under DATAOBJECTS_INSTALL_BUILD_DIR (default build/install).
set -euo pipefail
cd "$(dirname "$0")/../.."

root=$(realpath -m "${DATAOBJECTS_INSTALL_BUILD_DIR:-build/install}")
readonly root release=$root/release stage=$root/stage scratch=$root/scratch arm=$root/arm
readonly symbols_file=packaging/libdataobjects-data1.symbols
jobs=$(nproc)
readonly jobs
source scripts/ci/package-build.sh

step() { printf '== %s\n' "$*"; }
fail() {
  printf 'error: %b\n' "$*" >&2
  exit 1
}

build_and_install() {
  step "Release build in $release"
  package_build "$release" native
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
    <(find ./platform ./libs ./dataobjects -type d -name detail -prune -o \
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

  step "No installed header names a standard library's internal member"
  ! grep -rn '_M_' "$stage/include/dataobjects_data" ||
    fail "an installed header names a standard library's internal member (above)"
  echo "none does"

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
  classes+='|CompressionZLibBase|CompressionGZip|DataObjectException|KavSerialize::SerializationException'
  classes+='|BaseDataObject|JobDataDO|MeasurementDataDO|CharacteristicValueDataDO'
  classes+='|CharacteristicValueDataMeasurementDataMapDO|TrendDataDO|AlarmDataDO|AlarmLearningValuesDO'
  unexpected=$(sed -E 's/^(typeinfo name for|typeinfo for|vtable for|VTT for|(non-)?virtual thunk to) //' \
    <<<"$symbols" |
    grep -Ev "^(($classes)(::|\$)|operator(<<|>>)\(Archive&, |(void )?std::)" |
    grep -Ev "^KavSerialize::((de)?serialize|ser_helper::read_byte_vector)\(" |
    grep -Ev "^bool KavSerialize::(deserialize_floating_point|ser_helper::pack_int)<" |
    grep -Evx "dataobjects_data::setBoundedReading\(bool\)" || true)
  [ -z "$unexpected" ] || fail "exported beyond the public API:\n$unexpected"
  echo "every exported symbol belongs to the public API or is a standard-library instantiation"
  # A public function declared without DATAOBJECTS_DATA_API stays a local symbol of the library.
  # Private helpers marked DATAOBJECTS_DATA_LOCAL stay local.
  local internal='TesmiraException::updateWhat\(|Options::find\('
  hidden=$(nm -C --defined-only "$lib" | awk '$2 == "t"' | cut -d' ' -f3- | grep -v '\[clone ' |
    grep -E "^(($classes)(::|\$)|operator(<<|>>)\(Archive&, )" | grep -Ev "^($internal)" || true)
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

# check_package NAME DEPENDS-PATTERN PATH...: the package of $arch in $packages exists, its Depends
# match the extended regular expression, and it holds each PATH (relative to /usr) and the
# copyright file and changelog Debian requires.
check_package() {
  local package=$1 depends=$2 file contents path
  shift 2
  file=$packages/${package}_${version}-1_$arch.deb
  [ -f "$file" ] || fail "$file was not built"
  echo "-- $(basename "$file")"
  dpkg-deb -f "$file" Package Version Architecture Section Depends
  dpkg-deb -c "$file"
  dpkg-deb -f "$file" Depends | grep -Eq "$depends" || fail "$package: Depends lacks $depends"
  contents=$(dpkg-deb -c "$file" | awk '{ print $6 }')
  for path in "$@" "share/doc/$package/copyright" "share/doc/$package/changelog.Debian.gz"; do
    grep -qx "./usr/$path" <<<"$contents" || fail "$package does not hold /usr/$path"
  done
}

# check_packages BUILD-DIR ARCH: cpack in BUILD-DIR makes the packages, with the right contents and
# control files, and lintian finds no error and no warning in them.
check_packages() {
  local packages=$1/packages arch=$2
  step "Debian packages ($arch)"
  rm -rf "$packages"
  (cd "$1" && cpack -G DEB >/dev/null)
  local include=include/dataobjects_data cmake_dir=$libdir/cmake/dataobjects_data
  check_package libdataobjects-data1 'zlib1g.*libuuid1|libuuid1.*zlib1g' \
    "$libdir/libdataobjects_data.so.1.0.0" "$libdir/libdataobjects_data.so.1"
  check_package libdataobjects-data-dev "libdataobjects-data1 \(= $version-1\)" \
    "$libdir/libdataobjects_data.so" "$include/platform/Archive.h" \
    "$include/libs/utilities/archive/Serialize" "$include/dataobjects/JobDataDO.h" \
    "$cmake_dir/dataobjects_dataConfig.cmake" "$cmake_dir/dataobjects_dataConfigVersion.cmake" \
    "$cmake_dir/dataobjects_dataTargets.cmake" "$libdir/pkgconfig/dataobjects_data.pc"
  local debug=(libdataobjects-data1)
  if [ -e "$1/tools/dataobjects" ]; then
    check_package dataobjects-tools "libdataobjects-data1 \(= $version-1\)" bin/dataobjects \
      share/man/man1/dataobjects.1.gz
    debug+=(dataobjects-tools)
  else
    echo "-- no dataobjects tool in this tree: no dataobjects-tools package expected"
  fi
  if [ "$arch" = "$native_arch" ]; then
    check_package python3-dataobjects-data \
      "libdataobjects-data1 \(= $version-1\).*python3 \(<< |python3 \(<< .*libdataobjects-data1 \(= " \
      "$python_dir/__init__.py" "$python_dir/__init__.pyi" "$python_dir/py.typed" \
      "$python_dir/frames.py" "$python_dir/dask.py" "$python_dir/_core$python_suffix"
    local python=$packages/python3-dataobjects-data_${version}-1_$arch.deb
    dpkg-deb -f "$python" Depends | grep -q 'python3-numpy' || fail "the module does not depend on numpy"
    [ "$(dpkg-deb -f "$python" Recommends)" = "python3-pandas" ] &&
      [ "$(dpkg-deb -f "$python" Suggests)" = "python3-dask, python3-distributed, python3-fsspec" ] ||
      fail "the module does not recommend pandas and suggest Dask, distributed and fsspec"
    debug+=(python3-dataobjects-data)
  fi
  for package in "${debug[@]}"; do
    [ -f "$packages/$package-dbgsym_${version}-1_$arch.ddeb" ] || fail "no $package-dbgsym package"
  done

  local runtime=$packages/libdataobjects-data1_${version}-1_$arch.deb control
  control=$(dpkg-deb --ctrl-tarfile "$runtime" | tar -t)
  ! grep -Eq '(preinst|postinst|prerm|postrm)$' <<<"$control" ||
    fail "libdataobjects-data1 has maintainer scripts; ldconfig runs through its trigger"
  [ "$(dpkg-deb -I "$runtime" triggers)" = "activate-noawait ldconfig" ] ||
    fail "libdataobjects-data1 does not activate the ldconfig trigger"
  control=$(dpkg-deb -I "$runtime" symbols)
  [ "${control%%$'\n'*}" = 'libdataobjects_data.so.1 libdataobjects-data1 #MINVER#' ] ||
    fail "libdataobjects-data1 has no symbols file"

  step "lintian ($arch)"
  lintian --fail-on error,warning "$packages"/*.deb "$packages"/*.ddeb ||
    fail "lintian reports errors or warnings on the $arch packages"
}

# check_symbols ARCH LIBRARY: the library exports exactly the symbols of the committed file (but
# for optional ones). The version is above any in the file, so that a listed symbol counts as lost
# even when it was listed for this version.
check_symbols() {
  step "Exported symbols ($1) against $symbols_file"
  dpkg-gensymbols -c4 -plibdataobjects-data1 -v"$version+check" -a"$1" -P"$(dirname "$2")" -e"$2" \
    -I"$symbols_file" -O/dev/null ||
    fail "the symbols the library exports differ from $symbols_file (diff above: + exported," \
      "not listed; - listed, not exported). If the API changed on purpose, run" \
      "scripts/dev/update-symbols.sh and commit the file. A symbol that goes away breaks" \
      "applications linked against libdataobjects_data.so.1 and needs a new SONAME."
  echo "the library exports what $symbols_file lists"
}

# A stand-in for libc-bin, which runs ldconfig when a package activates the ldconfig trigger: it
# notes each run in the scratch root.
make_trigger_watcher() {
  local dir=$root/ldconfig-watcher
  rm -rf "$dir"
  mkdir -p "$dir/DEBIAN"
  printf '%s\n' 'Package: ldconfig-watcher' 'Version: 1' 'Architecture: all' \
    'Maintainer: Test <test@example.org>' 'Description: notes each ldconfig trigger' \
    >"$dir/DEBIAN/control"
  echo 'interest-noawait ldconfig' >"$dir/DEBIAN/triggers"
  printf '#!/bin/sh\n[ "$1" != triggered ] || echo "$2" >>"$DPKG_ROOT/ldconfig-triggered"\n' \
    >"$dir/DEBIAN/postinst"
  chmod 755 "$dir/DEBIAN/postinst"
  dpkg-deb --root-owner-group --build "$dir" "$root/ldconfig-watcher.deb" >/dev/null
}

# The packages installed with dpkg into a scratch root (their dependencies are not there).
install_packages() {
  step "Packages installed into $scratch (dpkg --root)"
  rm -rf "$scratch"
  mkdir -p "$scratch/var/lib/dpkg/info" "$scratch/var/lib/dpkg/updates"
  touch "$scratch/var/lib/dpkg/status" "$scratch/var/lib/dpkg/available"
  make_trigger_watcher
  local dpkg=(dpkg --root="$scratch" --force-script-chrootless --force-depends)
  "${dpkg[@]}" --install "$root/ldconfig-watcher.deb" >/dev/null
  "${dpkg[@]}" --install "$release"/packages/*.deb "$release"/packages/*.ddeb >"$root/dpkg.log" 2>&1 ||
    fail "dpkg could not install the packages:\n$(cat "$root/dpkg.log")"
  "${dpkg[@]}" --list | grep '^ii'
  grep -qx ldconfig "$scratch/ldconfig-triggered" 2>/dev/null ||
    fail "installing libdataobjects-data1 did not run the ldconfig trigger"
  echo "installing libdataobjects-data1 ran the ldconfig trigger"

  local tool=$scratch/usr/bin/dataobjects lib=$scratch/usr/$libdir/libdataobjects_data.so.1.0.0
  LD_LIBRARY_PATH=$scratch/usr/$libdir "$tool" --version | grep -x "dataobjects $version" ||
    fail "the installed dataobjects --version does not print $version"
  MANPAGER=cat MANWIDTH=80 man -l "$scratch/usr/share/man/man1/dataobjects.1.gz" >"$root/man.txt" ||
    fail "man cannot show the installed manual page"
  grep -q 'EXIT STATUS' "$root/man.txt" || fail "the manual page shows no EXIT STATUS"
  head -n 4 "$root/man.txt"
  # gdb finds the -dbgsym files through the build ID of the stripped binaries.
  local gdb=(gdb -batch -nx -iex "set debug-file-directory $scratch/usr/lib/debug")
  "${gdb[@]}" -ex 'info line main' "$tool" 2>&1 | grep 'of ".*/main\.cpp"' ||
    fail "gdb finds no line of the tool's main in dataobjects-tools-dbgsym"
  "${gdb[@]}" -ex 'ptype TesmiraException' "$lib" 2>&1 | grep '^type = class TesmiraException' ||
    fail "gdb finds no type information of the library in libdataobjects-data1-dbgsym"
  check_symbols "$native_arch" "$lib"

  step "Python module imported from the installed packages alone"
  LD_LIBRARY_PATH=$scratch/usr/$libdir /usr/bin/python3 -I -c "
import sys
sys.path.insert(0, '$scratch/usr/${python_dir%/*}')
import dataobjects_data as do
job = do.JobDataDO(CurrentUuid=do.UuidEntryDO.generate(), MeasurementTimeStamp=1733400000000)
assert do.loads(do.dumps([job, job]), do.JobDataDO) == [job, job]
frame = do.read_frame(do.dumps([job, job]), do.JobDataDO)
assert list(frame.MeasurementTimeStamp) == [1733400000000] * 2, frame
loaded = [line.split()[-1] for line in open('/proc/self/maps') if 'dataobjects' in line]
assert loaded and all(path.startswith('$scratch/') for path in loaded), loaded
print('imported', do.__file__, do.__version__, 'with', sorted(set(loaded))[0])" ||
    fail "the installed Python module cannot be imported or does not work"

  step "Consumer built against the installed runtime and development packages"
  local build=$root/consumer-packages
  grep -qx 'prefix=/usr' "$scratch/usr/$libdir/pkgconfig/dataobjects_data.pc" ||
    fail "the packaged dataobjects_data.pc does not name /usr"
  cmake -S examples/consumer -B "$build" -DCMAKE_PREFIX_PATH="$scratch/usr" >/dev/null
  cmake --build "$build"
  "$build/consumer" | tail -n 1
}

# The armhf packages of a cross build: contents, lintian, symbols, the build IDs of the -dbgsym
# files, and the packaged tool run under qemu-arm.
check_arm_packages() {
  step "armhf build in $arm"
  package_build "$arm" armhf
  local libdir=lib/arm-linux-gnueabihf unpacked=$root/arm-unpacked file id sysroot
  check_packages "$arm" armhf
  rm -rf "$unpacked"
  for file in "$arm"/packages/*.deb "$arm"/packages/*.ddeb; do
    dpkg-deb -x "$file" "$unpacked"
  done
  check_symbols armhf "$unpacked/usr/$libdir/libdataobjects_data.so.1.0.0"
  for file in "$unpacked/usr/$libdir/libdataobjects_data.so.1.0.0" "$unpacked/usr/bin/dataobjects"; do
    id=$(readelf -n "$file" | sed -n 's/^ *Build ID: //p')
    [ -f "$unpacked/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" ] ||
      fail "no debugging information for $file (build ID $id) in the -dbgsym packages"
  done
  echo "the -dbgsym packages hold the debugging information of each packaged binary"
  sysroot=$(realpath -m "${DATAOBJECTS_ARM_SYSROOT:-build/arm-sysroot}")
  qemu-arm -L /usr/arm-linux-gnueabihf \
    -E "LD_LIBRARY_PATH=$unpacked/usr/$libdir:$sysroot/$libdir:$sysroot/usr/$libdir" \
    "$unpacked/usr/bin/dataobjects" --version | grep -x "dataobjects $version" ||
    fail "the packaged armhf tool does not run under qemu-arm"
}

test_sqlite_store() {
  step "SQLite store example against the installed library"
  local build=$root/sqlite-store
  cmake -S examples/sqlite_store -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$stage" >/dev/null
  cmake --build "$build" --parallel "$jobs"
  ctest --test-dir "$build" --output-on-failure
}

scripts/install-deps.sh libsqlite3-dev dpkg-dev file lintian man-db gdb pybind11-dev python3-dev \
  python3-numpy python3-pandas
build_and_install
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$release/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release/CMakeCache.txt")
native_arch=$(dpkg --print-architecture)
python_dir=lib/python3/dist-packages/dataobjects_data
python_suffix=$(/usr/bin/python3 -c 'import sysconfig; print(sysconfig.get_config_var("EXT_SUFFIX"))')
readonly version native_arch python_dir python_suffix
[ "$(dpkg-parsechangelog -l packaging/changelog -S Version)" = "$version-1" ] ||
  fail "the latest entry of packaging/changelog is not for $version-1"
check_install_tree
check_exports
build_consumers
check_packages "$release" "$native_arch"
install_packages
check_arm_packages
test_sqlite_store
step "Install, packages and examples: all checks passed"
