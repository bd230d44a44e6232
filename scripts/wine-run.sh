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
wine_prepare || { echo "wine-run: no Wine session for $(basename "$1")" >&2; exit 125; }
# In the background so that a stop from ctest (a time-out) reaches the program too.
"$WINE" "$@" <&0 &
child=$!
trap 'kill -TERM "$child" 2>/dev/null' TERM INT HUP
wait "$child"
rc=$?
# A trapped signal interrupts the first wait; wait again for the program's own end.
if kill -0 "$child" 2>/dev/null; then wait "$child"; rc=$?; fi
# Say how the program ended: a failure that printed nothing is otherwise a riddle.
[ "$rc" -eq 0 ] || echo "wine-run: $(basename "$1") ended with exit code $rc" >&2
exit "$rc"
