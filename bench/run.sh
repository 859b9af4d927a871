#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them; prints one table per program.
set -euo pipefail
cd "$(dirname "$0")/.."
./setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench
export QT_QPA_PLATFORM=offscreen
status=0
for b in $(find build-bench/bench -maxdepth 2 -type f -executable -name '*_bench' | sort); do
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true "$@" || status=1
done
exit $status
