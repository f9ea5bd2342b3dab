#!/usr/bin/env bash
# Runs each libFuzzer target over a scratch copy of its seed corpus; after
# the folder and the seconds, names of targets run only those.
#   scripts/fuzz.sh build/fuzz 600 DocumentFileFuzz
set -euo pipefail
dir=${1:-build/fuzz}
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
only=" $* "
for f in "$dir"/fuzz/*Fuzz; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  [ "$only" = "  " ] || [[ "$only" == *" $name "* ]] || continue
  work="$dir/corpus-$name"
  mkdir -p "$work"
  cp -n fuzz/corpus/"$name"/* "$work"/ 2>/dev/null || true
  echo "== $name for ${seconds}s"
  "$f" -max_total_time="$seconds" -max_len=65536 -timeout=10 "$work"
done
