#!/usr/bin/env bash
# Rewrites packaging/libdataobjects-data1.symbols, the template of the runtime package's symbols
# file, from the library as the packages build it for x86-64 and for armhf (the sysroot of
# scripts/ci/test-arm.sh must exist). Run it when the exported API changes on purpose, then review
# and commit the file.
#
# Each symbol is one demangled (c++) entry with the version that introduced it: the version it
# has in the current file, or the project's version for a new one. The two architectures export
# the same API, but some mangled names differ (size_t is unsigned long on amd64 and unsigned int
# on armhf; va_list is another type), so a name found on one of them only is tagged arch=amd64
# or arch=armhf. Instantiations of standard-library templates are exported only where the
# compiler did not inline them, so they are optional: losing one breaks no application.
# The build folders are those of scripts/ci/test-install.sh (DATAOBJECTS_INSTALL_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/ci/package-build.sh

readonly package=libdataobjects-data1 template=$PWD/packaging/libdataobjects-data1.symbols
root=$(realpath -m "${DATAOBJECTS_INSTALL_BUILD_DIR:-build/install}")
work=$(mktemp -d)
readonly root work
trap 'rm -rf "$work"' EXIT
jobs=$(nproc)

# symbols ARCH DIR [-I TEMPLATE -c4]: dpkg-gensymbols on the library built in DIR.
symbols() {
  local arch=$1 dir=$2
  shift 2
  local library
  library=$(find "$dir" -maxdepth 1 -name 'libdataobjects_data.so.*.*.*' -type f)
  dpkg-gensymbols -p"$package" -v"$version" -a"$arch" -P"$dir" -e"$library" "$@"
}

# Each exported symbol of ARCH's library, demangled, one per line.
demangled() {
  symbols "$1" "$2" -c0 -q -O"$work/$1.mangled"
  sed -n 's/^ \(.*@Base\) .*$/\1/p' "$work/$1.mangled" | c++filt | LC_ALL=C sort -u
}

package_build "$root/release" native --target dataobjects_data
package_build "$root/arm" armhf --target dataobjects_data
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/release/CMakeCache.txt")

demangled amd64 "$root/release" >"$work/amd64"
demangled armhf "$root/arm" >"$work/armhf"
{
  LC_ALL=C comm -12 "$work/amd64" "$work/armhf" | sed 's/^/c++\t/'
  LC_ALL=C comm -23 "$work/amd64" "$work/armhf" | sed 's/^/arch=amd64|c++\t/'
  LC_ALL=C comm -13 "$work/amd64" "$work/armhf" | sed 's/^/arch=armhf|c++\t/'
} >"$work/tagged"

# The versions the current file gives, by name.
touch "$template"
sed -n 's/^ ([^)]*)"\(.*\)" \([^ ]*\)$/\1\t\2/p' "$template" >"$work/versions"
{
  head -n 1 "$work/amd64.mangled"
  echo "* Build-Depends-Package: libdataobjects-data-dev"
  awk -F '\t' -v version="$version" '
    FILENAME == ARGV[1] { since[$1] = $2; next }
    {
      tags = $1
      if ($2 ~ /^(void )?(std|__gnu_cxx)::/) tags = tags "|optional"
      printf " (%s)\"%s\" %s\n", tags, $2, ($2 in since) ? since[$2] : version
    }' "$work/versions" <(LC_ALL=C sort -t $'\t' -k2,2 -k1,1 "$work/tagged")
} >"$work/template"
mv "$work/template" "$template"

# The new file must describe both libraries exactly (a version above any in the file, so that a
# listed symbol counts as lost even when it was listed for this version).
version+=+check
symbols amd64 "$root/release" -c4 -I"$template" -O/dev/null
symbols armhf "$root/arm" -c4 -I"$template" -O/dev/null
echo "$template: $(grep -c '^ ' "$template") symbols, $(grep -c 'arch=' "$template") of one architecture"
git --no-pager diff --stat -- "$template"
