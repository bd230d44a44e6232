#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine. Safe to run again:
# it installs only what is missing.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine64 wine xvfb xauth \
         fonts-noto-cjk fonts-wine cmake ninja-build googletest locales file x11-utils rsync time python3 \
         nsis zip; do
  have "$p" || need+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}" >&2
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The program is made for a Japanese Windows: Wine takes its code page from the locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating ja_JP.UTF-8" >&2
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null 2>&1 || $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
