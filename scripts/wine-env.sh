# Sourced by the scripts that run Windows binaries. Sets up a Wine that behaves like a
# Japanese Windows, in a prefix of the project's own, never the user's default one.
#
#   SWIFTLET_BUILD   build folder whose wine/ holds the prefix (default: <repo>/build)
#   WINEPREFIX       used as it is when set by the caller
#   SWIFTLET_SERVER_LINGER  seconds the wineserver stays after the last Wine process
#                    (default: until wine_shutdown)
#
# wine_prepare creates the prefix once (under a lock, since ctest runs tests side by
# side), starts one persistent wineserver for it and an Xvfb display when none is set (or
# finds the one it started before); wine_shutdown stops the server and that display.

_swiftlet_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${SWIFTLET_BUILD:=$_swiftlet_root/build}"
: "${WINEPREFIX:=$SWIFTLET_BUILD/wine/prefix}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
export WINE WINESERVER

_wine_state_dir() { echo "$(dirname "$WINEPREFIX")"; }

# The Xvfb display this state folder started before, if it still runs: the pid it wrote,
# still an Xvfb, and its socket. Prints the display.
_wine_own_display() {
  local state; state=$(_wine_state_dir)
  [ -f "$state/display" ] && [ -f "$state/xvfb.pid" ] || return 1
  local d pid; d=$(cat "$state/display"); pid=$(cat "$state/xvfb.pid")
  kill -0 "$pid" 2>/dev/null && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] &&
    [ -e "/tmp/.X11-unix/X${d#:}" ] || return 1
  echo "$d"
}

_wine_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local state d; state=$(_wine_state_dir)
  if d=$(_wine_own_display); then export DISPLAY=$d; return 0; fi
  # Let Xvfb pick a free display number and tell us which.
  local fifo="$state/xvfb.fd"; rm -f "$fifo"
  Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp 7>"$fifo" </dev/null >/dev/null 2>&1 &
  local pid=$! n=""
  for _ in $(seq 100); do n=$(cat "$fifo" 2>/dev/null | tr -d '\n'); [ -n "$n" ] && break; sleep 0.05; done
  [ -n "$n" ] || { echo "wine-env: Xvfb did not start" >&2; kill "$pid" 2>/dev/null; return 1; }
  echo "$pid" > "$state/xvfb.pid"
  echo ":$n" > "$state/display"
  export DISPLAY=":$n"
}

# Settings of the test prefix; bump the version when they change, so that prefixes made
# earlier get them too.
_wine_settings_version=3
_wine_settings_reg() {
  # Japanese glyphs: without substitutes the dialog fonts show boxes. No window manager:
  # unmanaged windows spare a stall when a program with windows exits. A crash prints its
  # backtrace and ends the program instead of waiting on a crash dialog nobody sees.
  printf '%s\r\n' 'REGEDIT4' '' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
    '"MS UI Gothic"="Noto Sans CJK JP"' '"MS Shell Dlg"="Noto Sans CJK JP"' \
    '"MS Shell Dlg 2"="Noto Sans CJK JP"' '"Tahoma"="Noto Sans CJK JP"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' ''
}

# Creates the prefix (or brings an older one's settings up to date) in a Wine session of
# its own and waits for that session to end. Booting a new prefix leaves a second service
# control manager running beside the first; services created through one are unknown to
# the other, so no test may run in that session.
_wine_create_prefix() {
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
  fi
  local reg; reg=$(mktemp --suffix=.reg)
  _wine_settings_reg > "$reg"
  "$WINE" regedit /S "$(winepath_w "$reg")" </dev/null >/dev/null 2>&1 || true
  rm -f "$reg"
  # The session ends a few seconds after its last program; the registry is saved then.
  timeout 120 "$WINESERVER" -w </dev/null >/dev/null 2>&1 || "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  # The window frames draw their caption buttons with Marlett, as on Windows; without it
  # they show the letters "0", "1" and "r". Only that font: the others would change the
  # substitutes above.
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  echo "$_wine_settings_version" > "$WINEPREFIX/.swiftlet-ready"
}

winepath_w() {
  # Unix path to Z:\ path without starting a Wine process.
  local p; p=$(readlink -m "$1")
  printf 'Z:%s' "${p//\//\\}"
}

wine_prepare() {
  local state; state=$(_wine_state_dir)
  mkdir -p "$state" "$WINEPREFIX"
  # One lock for the display and the prefix: ctest starts tests side by side, and each
  # would otherwise start a display of its own. What starts here must not inherit it.
  local lock rc=0
  exec {lock}>"$state/lock"
  flock "$lock"
  _wine_prepare_locked {lock}>&- || rc=$?
  exec {lock}>&-
  return $rc
}

# SWIFTLET_NO_DISPLAY=1: the caller runs only console programs, which need no display.
_wine_prepare_locked() {
  local state; state=$(_wine_state_dir)
  if [ "${SWIFTLET_NO_DISPLAY:-0}" != 1 ]; then _wine_display || return 1; fi
  if [ "$(cat "$WINEPREFIX/.swiftlet-ready" 2>/dev/null)" != "$_wine_settings_version" ]; then
    _wine_create_prefix
  fi
  # One persistent server for the whole run, warmed once; Wine's own services must not
  # inherit our pipes, or whoever reads our output (ctest) waits for them forever.
  if [ ! -f "$state/warm" ]; then
    "$WINESERVER" -p${SWIFTLET_SERVER_LINGER:-} </dev/null >/dev/null 2>&1 || true
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
    touch "$state/warm"
  fi
  if [ -n "${SWIFTLET_HOLD_DESKTOP:-}" ] && [ "${SWIFTLET_NO_DISPLAY:-0}" != 1 ]; then _wine_hold_desktop; fi
}

# Wine starts its desktop process (explorer.exe /desktop) for the first program that
# touches the window system, and that process keeps the program's standard output open
# until it ends, about a second after the last windowed program has ended. In a test run
# the window tests keep it alive, so whoever reads the output of the test that started
# it (ctest) would wait for the rest of the run. With SWIFTLET_HOLD_DESKTOP set, the
# desktop is started here by a holder whose output goes nowhere and is held until the
# session ends (wine_shutdown).
_wine_hold_desktop() {
  local state; state=$(_wine_state_dir)
  local hold="$SWIFTLET_BUILD/DesktopHold.exe"
  [ -f "$hold" ] || return 0
  if [ -f "$state/desktop.pid" ] && kill -0 "$(cat "$state/desktop.pid")" 2>/dev/null; then return 0; fi
  local fifo="$state/desktop.fifo"
  [ -p "$fifo" ] || { rm -f "$fifo"; mkfifo "$fifo"; }
  # Opened for reading and writing, the FIFO never ends: the holder waits on it for ever.
  "$WINE" "$hold" /hold <>"$fifo" >/dev/null 2>&1 &
  echo $! > "$state/desktop.pid"
  # Tests start once the desktop is up, so that none of them starts it.
  local prefix; prefix=$(readlink -m "$WINEPREFIX")
  for _ in $(seq 200); do
    local p
    for p in $(pgrep -f 'explorer.exe /desktop' 2>/dev/null); do
      if tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qxF -e "WINEPREFIX=$prefix" -e "WINEPREFIX=$WINEPREFIX"; then
        return 0
      fi
    done
    sleep 0.05
  done
}

wine_shutdown() {
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  local state; state=$(_wine_state_dir)
  if [ -f "$state/desktop.pid" ]; then kill "$(cat "$state/desktop.pid")" 2>/dev/null || true; rm -f "$state/desktop.pid"; fi
  # Only the Xvfb this folder started, and only while it is still that process.
  if _wine_own_display >/dev/null; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; fi
  rm -f "$state/xvfb.pid" "$state/display"
  rm -f "$state/warm"
}
