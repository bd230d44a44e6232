#!/usr/bin/env bash
# Runs every benchmark script of this folder in turn.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for script in "$here"/*.sh; do
  [ "$(basename "$script")" = run.sh ] && continue
  echo "== $(basename "$script" .sh)"
  bash "$script"
done
