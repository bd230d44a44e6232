#!/usr/bin/env bash
# The choose-files dialog with 500 conflicting files: opening and scrolling through it,
# against the system's list view with the same rows, under Wine on an Xvfb display.
#   SWIFTLET_BENCH_SCRATCH  where the files are made (default: <build>/bench-scratch)
#   FILES                   conflicting files (default 500)
#   RUNS                    runs per list (default 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
export SWIFTLET_BUILD=${SWIFTLET_BUILD:-$root/build}
build=$SWIFTLET_BUILD
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
fi
cmake --build "$build" --target ChooseFilesBench >/dev/null

scratch=${SWIFTLET_BENCH_SCRATCH:-$build/bench-scratch}/choosefiles
rm -rf "$scratch"
mkdir -p "$scratch"

. scripts/wine-env.sh
wine_prepare
trap wine_shutdown EXIT
"$WINE" "$build/ChooseFilesBench.exe" "$(winepath_w "$scratch")" /files "${FILES:-500}" /runs "${RUNS:-3}"
