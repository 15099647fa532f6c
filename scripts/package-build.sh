# Sourced by scripts/test-install.sh and scripts/update-symbols.sh: configures and builds a tree
# the Debian packages are made from, natively or for armhf. The armhf build uses the sysroot that
# scripts/test-arm.sh prepares (build/arm-sysroot, or DATAOBJECTS_ARM_SYSROOT).

# package_build DIR native|armhf [cmake --build arguments...]
package_build() {
  local dir=$1 arch=$2 sysroot
  shift 2
  local args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DDATAOBJECTS_PACKAGE_FLAGS=ON
    -DDATAOBJECTS_WERROR=ON -DDATAOBJECTS_BUILD_TESTS=OFF -DDATAOBJECTS_BUILD_EXAMPLES=OFF)
  if [ "$arch" = armhf ]; then
    sysroot=$(realpath -m "${DATAOBJECTS_ARM_SYSROOT:-build/arm-sysroot}")
    if [ ! -e "$sysroot/.packages-unpacked" ]; then
      echo "error: no armhf sysroot in $sysroot; scripts/test-arm.sh prepares it" >&2
      return 1
    fi
    args+=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/arm-linux-gnueabihf.cmake"
      -DDATAOBJECTS_ARM_SYSROOT="$sysroot" -DCMAKE_INSTALL_LIBDIR=lib/arm-linux-gnueabihf)
  fi
  cmake -S . -B "$dir" "${args[@]}" >/dev/null
  cmake --build "$dir" --parallel "${jobs:-2}" "$@"
}
