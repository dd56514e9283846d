#!/usr/bin/env bash
# Builds the Debian package: a Release build of the program alone in build-deb/ (or
# $ZEL_DEB_BUILD_DIR), with the compiler and linker flags Debian builds its packages with, packed by
# cpack into build-deb/zelmora2nd_VERSION_ARCH.deb. Prints the package's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=${ZEL_DEB_BUILD_DIR:-$root/build-deb}
cd "$root"

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Debian's hardening (fortified functions, stack protector, read-only relocations, immediate
# binding), without -g: the package's program is stripped.
flags() {
  DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_STRIP=-g \
    dpkg-buildflags --get "$1"
}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DZEL_BUILD_TESTS=OFF -DZEL_BUILD_BENCH=OFF -DZEL_SANITIZE=OFF \
  -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" "${launcher[@]}" >/dev/null
# The program is all the package needs built: the rest of what it holds is made at configure time,
# and cpack builds nothing itself with Ninja.
cmake --build "$build" --target zelmora2nd -j"$(nproc)"
rm -f "$build"/zelmora2nd_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/zelmora2nd_*.deb
