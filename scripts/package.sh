#!/usr/bin/env bash
# Builds the Windows installer and the zip for those who want none, into the build folder:
#   build/Swiftlet-VERSION-setup.exe   (NSIS, 64-bit; see installer/Swiftlet.nsi)
#   build/Swiftlet-VERSION.zip         (the binaries and a short README)
#   --no-build         pack the binaries the build folder holds, without building (the
#                      installer tests, which run while ./test.sh has built everything)
#   SWIFTLET_BUILD     build folder (default: ./build)
#   SWIFTLET_VERSION   version written into both, three numbers (default: the one below)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
build=${SWIFTLET_BUILD:-$root/build}
version=${SWIFTLET_VERSION:-1.0.0}

targets=(Swiftlet SwiftletConsole SwiftletSrv)
shellex=0
if [ "${1:-}" = --no-build ]; then
  [ -f "$build/SwiftletShellEx.dll" ] && { targets+=(SwiftletShellEx); shellex=1; }
else
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
  fi
  if cmake --build "$build" --target help | grep -q '^SwiftletShellEx:'; then
    targets+=(SwiftletShellEx)
    shellex=1
  fi
  cmake --build "$build" --target "${targets[@]}" >/dev/null
fi
[ "$shellex" = 1 ] ||
  echo "package: SwiftletShellEx is not part of this build; packaging without the Explorer extension" >&2

# The files as they are shipped: without debug information, the README in Windows' form.
stage="$build/package/$version/Swiftlet"
rm -rf "$stage"
mkdir -p "$stage"
for t in "${targets[@]}"; do
  f=$t.exe; [ "$t" = SwiftletShellEx ] && f=$t.dll
  x86_64-w64-mingw32-strip -o "$stage/$f" "$build/$f"
done
{ printf '\xef\xbb\xbf'; sed "s/@VERSION@/$version/g; s/\$/\r/" installer/README.txt; } > "$stage/README.txt"

setup="$build/Swiftlet-$version-setup.exe"
defs=(-DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup")
[ "$shellex" = 1 ] && defs+=(-DSHELLEX)
makensis -INPUTCHARSET UTF8 -V2 "${defs[@]}" installer/Swiftlet.nsi >/dev/null

zipfile="$build/Swiftlet-$version.zip"
rm -f "$zipfile"
(cd "$(dirname "$stage")" && zip -qrX "$zipfile" Swiftlet)
echo "$setup"
echo "$zipfile"
