#!/usr/bin/env bash
# Copy speed against peers: generates the data sets (once, under bench/data/), then has
# Swiftlet (its engine through CopyCoreBench.exe, and Swiftlet.exe end to end), Wine's
# CopyFileExW and xcopy, cp, rsync and dd copy them in alternating runs, checks every copy
# byte for byte, and writes the table to bench/results/.
#   BENCH_QUICK=1       small data sets, one run per tool, results under bench/scratch/
#   RUNS=N              runs per tool (default 3, quick 1)
#   BENCH_SETS=a,b      only these data sets (big1g mib1000 kib20000 real onefile)
#   BENCH_TOOLS=a,b     only these tools (swiftlet-core swiftlet-exe copyfileex xcopy cp rsync dd wine-start)
#   BENCH_PROFILE=0     no traced run for the system-call profile
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
need=()
for p in python3 strace rsync time; do have "$p" || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

export SWIFTLET_BUILD=${SWIFTLET_BUILD:-$root/build}
build=$SWIFTLET_BUILD
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
fi
targets=(Swiftlet)
for f in bench/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
cmake --build "$build" --target "${targets[@]}" >/dev/null

# The bench's own check first: a verifier that passes a wrong copy makes every figure a lie.
PYTHONDONTWRITEBYTECODE=1 python3 -m unittest discover -s bench -p 'bench*_test.py' -q 2>&1 | tail -n 3

. scripts/wine-env.sh
wine_prepare
trap wine_shutdown EXIT
export SWIFTLET_ROOT=$root WINE WINEPREFIX PYTHONDONTWRITEBYTECODE=1
python3 bench/copybench.py
