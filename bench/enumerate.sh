#!/usr/bin/env bash
# Source enumeration speed: generates trees of about 100,000 items (and one flat folder
# of 20,000 files) natively, then runs EnumerateBench.exe on them under Wine.
#   SWIFTLET_BENCH_SCRATCH  where the trees are made (default: <build>/bench-scratch)
#   RUNS                    runs per tool (default 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
export SWIFTLET_BUILD=${SWIFTLET_BUILD:-$root/build}
build=$SWIFTLET_BUILD
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
fi
cmake --build "$build" --target EnumerateBench >/dev/null

scratch=${SWIFTLET_BENCH_SCRATCH:-$build/bench-scratch}
tree=$scratch/tree100k
flat=$scratch/flat20k
if [ ! -f "$tree.complete" ]; then
  rm -rf "$tree"
  # 10 x 100 folders of 99 files, a chain of 200 nested folders: 100,210 items.
  for a in $(seq -w 0 9); do
    for b in $(seq -w 0 99); do
      d="$tree/t$a/s$b"
      mkdir -p "$d"
      (cd "$d" && touch f{00..98}.dat)
    done
  done
  chain="$tree/chain"
  for _ in $(seq 200); do chain="$chain/d"; done
  mkdir -p "$chain"
  touch "$tree.complete"
fi
if [ ! -f "$flat.complete" ]; then
  rm -rf "$flat"
  mkdir -p "$flat"
  (cd "$flat" && for i in $(seq -w 0 199); do touch "f${i}"_{00..99}.dat; done)
  touch "$flat.complete"
fi

. scripts/wine-env.sh
wine_prepare
trap wine_shutdown EXIT
"$WINE" "$build/EnumerateBench.exe" "$(winepath_w "$tree")" "$(winepath_w "$flat")" /runs "${RUNS:-3}"
