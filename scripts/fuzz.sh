#!/usr/bin/env bash
# Runs each libFuzzer target over a scratch copy of its seed corpus.
set -euo pipefail
dir=${1:-build/fuzz}
seconds=${2:-60}
for f in "$dir"/fuzz/*Fuzz; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  work="$dir/corpus-$name"
  mkdir -p "$work"
  cp -n fuzz/corpus/"$name"/* "$work"/ 2>/dev/null || true
  echo "== $name for ${seconds}s"
  "$f" -max_total_time="$seconds" -max_len=65536 -timeout=10 "$work"
done
