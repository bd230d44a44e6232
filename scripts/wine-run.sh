#!/usr/bin/env bash
# Runs one Windows program under the project's Wine: the cross-compiling emulator of
# the build, so ctest starts every test through here.
set -u
if [ -z "${SWIFTLET_BUILD:-}" ]; then
  # The program lives somewhere inside a build folder: find the folder's root.
  d=$(dirname "$(readlink -m "$1")")
  while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  [ -f "$d/CMakeCache.txt" ] && export SWIFTLET_BUILD=$d
fi
. "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/wine-env.sh"
wine_prepare || exit 125
exec "$WINE" "$@"
