#!/usr/bin/env bash
# Builds everything and runs every test under Wine, as a Japanese Windows.
# Exits non-zero when the build or any test fails.
#   SWIFTLET_BUILD   build folder (default: ./build)
#   CTEST_ARGS       extra ctest arguments, e.g. "-R Pipe"
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
bash scripts/setup.sh
export SWIFTLET_BUILD=${SWIFTLET_BUILD:-$root/build}
build=$SWIFTLET_BUILD

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
fi
cmake --build "$build" -j"$(nproc)"

. scripts/wine-env.sh
rm -f "$(dirname "$WINEPREFIX")/warm"

# A small full disk for the free-space tests; only root can mount one.
tmpfs="$build/tmpfs-small"
mounted=0
if [ "$(id -u)" -eq 0 ]; then
  mkdir -p "$tmpfs"
  if ! mountpoint -q "$tmpfs"; then mount -t tmpfs -o size=8m tmpfs "$tmpfs" && mounted=1 || true; fi
  export SWIFTLET_SMALL_DISK="$tmpfs"
fi

cleanup() {
  wine_shutdown
  if [ "$mounted" = 1 ]; then umount "$tmpfs" 2>/dev/null || true; fi
}
trap cleanup EXIT

# The window tests need Wine's desktop for the whole run (see wine-env.sh).
export SWIFTLET_HOLD_DESKTOP=1
wine_prepare
rc=0
(cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 300 ${CTEST_ARGS:-}) || rc=$?
exit $rc
