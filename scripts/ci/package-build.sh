# Sourced by scripts/ci/test-install.sh and scripts/dev/update-symbols.sh: configures and builds a
# tree the Debian packages are made from, natively (preset package) or for armhf (preset
# package-arm). The armhf build uses the sysroot that scripts/ci/test-arm.sh prepares
# (build/arm-sysroot, or DATAOBJECTS_ARM_SYSROOT).

# package_build DIR native|armhf [cmake --build arguments...]
# DIR replaces the preset's folder: the scripts put their trees under DATAOBJECTS_INSTALL_BUILD_DIR.
package_build() {
  local dir=$1 arch=$2 sysroot
  shift 2
  local args=(--preset package -B "$dir")
  if [ "$arch" = armhf ]; then
    sysroot=$(realpath -m "${DATAOBJECTS_ARM_SYSROOT:-build/arm-sysroot}")
    if [ ! -e "$sysroot/.packages-unpacked" ]; then
      echo "error: no armhf sysroot in $sysroot; scripts/ci/test-arm.sh prepares it" >&2
      return 1
    fi
    args=(--preset package-arm -B "$dir" -DDATAOBJECTS_ARM_SYSROOT="$sysroot")
  fi
  cmake "${args[@]}" >/dev/null
  cmake --build "$dir" --parallel "${jobs:-2}" "$@"
}
