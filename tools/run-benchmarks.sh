#!/usr/bin/env bash
# Runs every benchmark binary in $1.
set -euo pipefail
shopt -s nullglob
found=0
for b in "$1"/bench_*; do
  [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  "$b"
done
[ $found -eq 1 ] || echo "no benchmarks built yet"
