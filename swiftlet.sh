#!/usr/bin/env bash
# Runs Swiftlet on Linux paths under Wine.
#
#   ./swiftlet.sh [-m] SOURCE... DESTINATION
#       with a display: Swiftlet.exe, the windowed program
#   ./swiftlet.sh --console [-m] [--if-exists=skip|overwrite|keep-both] [--verify] SOURCE... DESTINATION
#       SwiftletConsole.exe in this terminal: status line, questions, summary, exit status.
#       Runs without --console too when there is no display (no DISPLAY), or when any of
#       its own options is given.
#
# Builds first when needed. Uses a Wine prefix of its own under ~/.swiftlet/wine
# (SWIFTLET_WINEPREFIX chooses another).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)

usage() {
  cat <<EOF
usage: $0 [-m] SOURCE... DESTINATION                     the window (needs a display)
       $0 --console [-m] [--if-exists=skip|overwrite|keep-both] [--verify] SOURCE... DESTINATION
                                                        the terminal (the default without a display)
EOF
}

console=0
[ -n "${DISPLAY:-}" ] || console=1
options=() paths=() ended=0 help=0
for a in "$@"; do
  if [ "$ended" = 0 ]; then
    case "$a" in
      --) ended=1; continue ;;
      --console) console=1; continue ;;
      -m|/m|-M|/M|--move) options+=("-m"); continue ;;
      -h|--help|/\?) help=1; console=1; options+=("--help"); continue ;;
      -?*) options+=("$a"); console=1; continue ;;  # the terminal's options; it checks them
    esac
  fi
  case "$a" in -*) a="./$a" ;; esac  # after "--": a name, never an option of winepath
  paths+=("$a")
done
if [ "$help" = 1 ]; then
  usage; echo
elif [ "${#paths[@]}" -lt 2 ]; then
  usage >&2
  exit 2
fi

bash "$root/scripts/setup.sh"
export SWIFTLET_BUILD=${SWIFTLET_BUILD:-$root/build}
build=$SWIFTLET_BUILD
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
fi
program=Swiftlet
[ "$console" = 0 ] || program=SwiftletConsole
cmake --build "$build" --target "$program" >/dev/null

export WINEPREFIX=${SWIFTLET_WINEPREFIX:-$HOME/.swiftlet/wine/prefix}
# The server outlives this run for a while: a later run hands its job to a program
# that is still copying, and starts faster.
export SWIFTLET_SERVER_LINGER=${SWIFTLET_SERVER_LINGER:-60}
# The console program needs no display: no Xvfb is started for it.
[ "$console" = 0 ] || export SWIFTLET_NO_DISPLAY=1
. "$root/scripts/wine-env.sh"
rm -f "$(dirname "$WINEPREFIX")/warm"
wine_prepare

# Linux paths become Windows paths (Z:\...) the way Wine itself maps them.
converted=()
if [ "${#paths[@]}" -gt 0 ]; then
  mapfile -t converted < <(winepath -w "${paths[@]}" 2>/dev/null || true)
  if [ "${#converted[@]}" -ne "${#paths[@]}" ]; then
    converted=()
    for p in "${paths[@]}"; do converted+=("$(winepath_w "$p")"); done
  fi
fi
if [ "$console" = 1 ]; then
  args=("${options[@]}" -- "${converted[@]}")
else
  args=("${options[@]/#-m//m}" "${converted[@]}")
fi

# Wine's own messages (a volume it cannot read as root, debug channels) are not the
# program's: they are dropped line by line as they come, so nothing the program prints
# waits. The filter outlives a Ctrl+C, which is the program's to handle; so does this
# shell, which waits for the program's summary and exit status.
noise='^wine: Read access denied for device |^[0-9a-f]{4}:(fixme|err|warn|trace):'
interrupted=0
trap 'interrupted=1' INT
rc=0
"$WINE" "$build/$program.exe" "${args[@]}" \
  2> >(trap '' INT; exec grep --line-buffered -v -E "$noise" >&2) || rc=$?
wait $! 2>/dev/null || true
# A Ctrl+C that reached Wine before the program could take it ends the process with 0.
if [ "$interrupted" = 1 ] && [ "$rc" = 0 ] && [ "$console" = 1 ]; then rc=3; fi
exit "$rc"
