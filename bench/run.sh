#!/usr/bin/env bash
# Runs the benchmarks of this folder in turn: every bench/*.sh but this one, or only the
# ones named (./bench/run.sh copy). BENCH_QUICK=1 makes each of them small and short.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -n "${BENCH_QUICK:-}" ] && [ "${BENCH_QUICK}" != 0 ]; then export RUNS=${RUNS:-1}; fi
if [ $# -gt 0 ]; then
  scripts=(); for n in "$@"; do scripts+=("$here/${n%.sh}.sh"); done
else
  scripts=("$here"/*.sh)
fi
rc=0
for script in "${scripts[@]}"; do
  [ "$(basename "$script")" = run.sh ] && continue
  [ -f "$script" ] || { echo "no benchmark $(basename "$script")" >&2; exit 2; }
  echo "== $(basename "$script" .sh)"
  bash "$script" || rc=$?
done
exit $rc
