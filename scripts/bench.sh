#!/usr/bin/env bash
# Runs every benchmark program of a Release build, one after another.
set -euo pipefail
dir=${1:-build/bench}
found=0
for b in "$dir"/bench/bench_*; do
  [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true
done
[ $found -eq 1 ] || echo "no benchmarks built"
