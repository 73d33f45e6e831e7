#!/usr/bin/env bash
# The deterministic fuzz pass of `make test`: every fuzz target in $1 replays its seed corpus
# (tests/fuzz/corpus/<name>) and every past finding (tests/fuzz/regressions/<name>), then runs a
# fixed number of inputs (tests/fuzz/runs.txt, else its default) from a fixed seed. Nothing here
# depends on time or on the machine: the same commit prints the same lines and gives the same answer.
# A failing input is kept in <build>/findings/<name>/. Optional $2: names of the targets to run.
set -euo pipefail
dir=$(cd "$1" && pwd)
only=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
seed=1
findings=$(dirname "$dir")/findings
runs_file=$root/tests/fuzz/runs.txt

# Inputs a target runs: its line in runs.txt, else the "default" line.
runs_for() {
  local n
  n=$(awk -v t="$1" '$1 == t { print $2; exit }' "$runs_file")
  [ -n "$n" ] || n=$(awk '$1 == "default" { print $2; exit }' "$runs_file")
  echo "${n:-10000}"
}

# UB is a finding like any other, not a message to scroll past.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
failed=()
shopt -s nullglob
for f in "$dir"/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  short=${name#fuzz_}
  if [ -n "$only" ] && [[ " $only " != *" $name "* && " $only " != *" $short "* ]]; then continue; fi
  work=$(mktemp -d)
  # Seeds in a fixed order (by name); libFuzzer shuffles them with its seeded generator.
  inputs=()
  for d in "$root/tests/fuzz/corpus/$short" "$root/tests/fuzz/regressions/$short"; do
    [ -d "$d" ] || continue
    while IFS= read -r -d '' s; do inputs+=("$s"); done < <(find "$d" -type f ! -name '.*' -print0 | LC_ALL=C sort -z)
  done
  seeds=()
  if [ ${#inputs[@]} -gt 0 ]; then
    (IFS=,; printf '%s' "${inputs[*]}") > "$work/seeds"
    seeds=(-seed_inputs=@"$work/seeds")
  fi
  runs=$(runs_for "$short")
  echo "== $name: ${#inputs[@]} seeds, $runs inputs, seed $seed"
  # No time limits that decide a result: the per-input timeout only stops a hang, the memory limit
  # is per allocation (the resident-size watch is sampled by a clock and stays off).
  status=0
  (cd "$work" && "$f" -seed=$seed -runs="$runs" "${seeds[@]}" -artifact_prefix="$work/" \
     -timeout=120 -rss_limit_mb=0 -malloc_limit_mb=2048 -reload=0 -print_final_stats=1 \
     > "$work/log" 2>&1) || status=$?
  # The totals of the run, without its speed and its memory.
  grep -E '^#[0-9]+[[:space:]]+DONE' "$work/log" | sed -E 's/[[:space:]]+exec\/s:.*$//' || true
  grep -E '^stat::(number_of_executed_units|new_units_added)' "$work/log" || true
  if [ $status -ne 0 ]; then
    tail -n 60 "$work/log"
    mkdir -p "$findings/$short"
    for a in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* "$work"/slow-unit-*; do
      cp "$a" "$findings/$short/" && echo "finding kept: $findings/$short/$(basename "$a")"
    done
    failed+=("$name")
  fi
  rm -rf "$work"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz pass failed: ${failed[*]}"
  exit 1
fi
echo "fuzz pass: every target passed"
