#!/usr/bin/env bash
# Runs every fuzz target in $1 for $2 seconds, each from its seed corpus in tests/fuzz/corpus/<name>.
set -euo pipefail
dir=$1; secs=${2:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
for f in "$dir"/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  work=$(mktemp -d)
  seeds="$root/tests/fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/ 2>/dev/null || true
  echo "== $name ($secs s)"
  "$f" -max_total_time="$secs" -rss_limit_mb=2048 -print_final_stats=0 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done
