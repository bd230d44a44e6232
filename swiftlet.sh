#!/usr/bin/env bash
# Runs Swiftlet on Linux paths under Wine:  ./swiftlet.sh [-m] SOURCE... DESTINATION
# Builds first when needed. Uses a Wine prefix of its own under ~/.swiftlet/wine and an
# Xvfb display of its own when none is set.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
if [ $# -lt 2 ]; then
  echo "usage: $0 [-m] SOURCE... DESTINATION" >&2
  exit 2
fi
bash "$root/scripts/setup.sh"
export SWIFTLET_BUILD=${SWIFTLET_BUILD:-$root/build}
build=$SWIFTLET_BUILD
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
fi
cmake --build "$build" --target Swiftlet >/dev/null

export WINEPREFIX=${SWIFTLET_WINEPREFIX:-$HOME/.swiftlet/wine/prefix}
# The server outlives this run for a while: a later run hands its job to a program
# that is still copying, and starts faster.
export SWIFTLET_SERVER_LINGER=${SWIFTLET_SERVER_LINGER:-60}
. "$root/scripts/wine-env.sh"
rm -f "$(dirname "$WINEPREFIX")/warm"
wine_prepare

flags=() paths=()
for a in "$@"; do
  case "$a" in
    -m|/m|-M|/M) flags+=("/m") ;;
    *) paths+=("$a") ;;
  esac
done
# Linux paths become Windows paths (Z:\...) the way Wine itself maps them.
mapfile -t converted < <(winepath -w "${paths[@]}" 2>/dev/null || true)
if [ "${#converted[@]}" -ne "${#paths[@]}" ]; then
  converted=()
  for p in "${paths[@]}"; do converted+=("$(winepath_w "$p")"); done
fi
exec "$WINE" "$build/Swiftlet.exe" "${flags[@]}" "${converted[@]}"
