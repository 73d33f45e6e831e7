#!/usr/bin/env bash
# A fuzzing campaign: every fuzz target in $1 for $2 seconds from a random seed, $3 targets at a
# time (default: one per core), each on one core. A target goes on after a finding.
#   corpus:   <build>/campaign/corpus/<name>    grows from campaign to campaign (seeded from
#             tests/fuzz/corpus/<name> and tests/fuzz/regressions/<name>)
#   findings: <build>/campaign/findings/<name>  crash-*, leak-*, timeout-*, oom-* inputs; once a
#             finding is mended, move its input to tests/fuzz/regressions/<name>/
#   logs:     <build>/campaign/logs/<name>.log
# Optional $4: names of the targets to run (default: all).
set -euo pipefail
dir=$(cd "$1" && pwd)
secs=${2:-600}
jobs=${3:-$(nproc)}
only=${4:-}
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(dirname "$dir")/campaign
mkdir -p "$out/corpus" "$out/findings" "$out/logs"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

one() {
  local f=$1 name short
  name=$(basename "$f")
  short=${name#fuzz_}
  mkdir -p "$out/corpus/$short" "$out/findings/$short"
  local dirs=("$out/corpus/$short")
  for d in "$root/tests/fuzz/corpus/$short" "$root/tests/fuzz/regressions/$short"; do
    [ -d "$d" ] && dirs+=("$d")
  done
  # After a finding the target starts again for the time left, so the campaign keeps its time.
  # One that stops within seconds of starting (a seed that fails) is not started again.
  local end=$((SECONDS + secs)) left start
  : > "$out/logs/$short.log"
  while left=$((end - SECONDS)); [ "$left" -gt 0 ]; do
    start=$SECONDS
    (cd "$out/corpus" && "$f" -max_total_time="$left" -timeout=30 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$out/findings/$short/" "${dirs[@]}" \
       >> "$out/logs/$short.log" 2>&1) && break
    [ $((SECONDS - start)) -ge 10 ] || break
  done
  echo "$name"
}
export -f one
export out secs root

shopt -s nullglob
targets=()
for f in "$dir"/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  if [ -n "$only" ] && [[ " $only " != *" $name "* && " $only " != *" ${name#fuzz_} "* ]]; then continue; fi
  targets+=("$f")
done
echo "campaign: ${#targets[@]} targets, $secs s each, $jobs at a time; results in $out"
printf '%s\0' "${targets[@]}" | xargs -0 -n 1 -P "$jobs" bash -c 'one "$1" > /dev/null' _

# The summary: inputs run, their rate, and the findings of each target.
printf '%-24s %12s %10s %9s\n' target runs runs/s findings
for f in "${targets[@]}"; do
  short=$(basename "$f"); short=${short#fuzz_}
  log=$out/logs/$short.log
  # Each start of the target ends with its totals.
  runs=$(awk '/^stat::number_of_executed_units:/ { n += $2 } END { print n + 0 }' "$log")
  rate=$(awk -v r="$runs" -v t="$secs" 'BEGIN { printf "%.1f", r / t }')
  n=$(find "$out/findings/$short" -type f | wc -l)
  printf '%-24s %12s %10s %9s\n' "fuzz_$short" "${runs:-?}" "${rate:-?}" "$n"
done
