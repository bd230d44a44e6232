#!/usr/bin/env bash
# Runs Swiftlet on Linux paths under Wine:  ./swiftlet.sh [-m] SOURCE... DESTINATION
# Builds first when needed. Uses a Wine prefix of its own under ~/.swiftlet/wine.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
if [ $# -lt 2 ]; then
  echo "usage: $0 [-m] SOURCE... DESTINATION" >&2
  exit 2
fi
bash "$root/scripts/setup.sh"
build=${SWIFTLET_BUILD:-$root/build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
fi
cmake --build "$build" --target Swiftlet >/dev/null

export WINEPREFIX=${SWIFTLET_WINEPREFIX:-$HOME/.swiftlet/wine/prefix}
. "$root/scripts/wine-env.sh"
wine_prepare

args=()
for a in "$@"; do
  case "$a" in
    -m|/m|-M|/M) args+=("/m") ;;
    *) args+=("$(winepath_w "$a")") ;;
  esac
done
"$WINE" "$build/Swiftlet.exe" "${args[@]}"
