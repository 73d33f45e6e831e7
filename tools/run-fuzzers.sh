#!/usr/bin/env bash
# The deterministic fuzz pass of `make test`: every fuzz target in $1 replays its seed corpus
# (tests/fuzz/corpus/<name>) and every past finding (tests/fuzz/regressions/<name>), then runs a
# fixed number of inputs (tests/fuzz/runs.txt, else its default) from a fixed seed. Nothing here
# depends on time or on the machine: the same commit prints the same lines and gives the same answer.
# A failing input is kept in <build>/findings/<name>/. Optional $2: names of the targets to run.
#
# What the fuzzer learns from a run (edges, their counts, compared values) must not change from one
# process to the next, so each target runs
# - without address randomisation: code that looks at addresses (alignment, pointer hashing) takes
#   the same paths;
# - without values of comparisons as mutations (-use_cmp=0): the heap's addresses still differ a
#   little from one process to the next, and compared pointers would carry that into the inputs;
# - with the same environment, working folder and path lengths (its binary and its inputs are
#   reached through a scratch folder of fixed-length name), so the stack and the heap are laid out
#   alike on every machine and in every clone;
# - with its seeds in one order (by name), which libFuzzer shuffles with its seeded generator.
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
# Address randomisation off, where the machine lets a process ask for that.
norandom=(setarch "$(uname -m)" -R)
if ! "${norandom[@]}" true 2>/dev/null; then
  echo "warning: address randomisation stays on here; runs may differ from other machines"
  norandom=()
fi
failed=()
shopt -s nullglob
for f in "$dir"/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  short=${name#fuzz_}
  if [ -n "$only" ] && [[ " $only " != *" $name "* && " $only " != *" $short "* ]]; then continue; fi
  work=$(mktemp -d /tmp/vse-fuzz-pass.XXXXXXXX)
  mkdir "$work/in"
  ln -s "$f" "$work/target"
  # Seeds, then past findings, each in name order, copied under fixed-length names.
  n=0
  for d in "$root/tests/fuzz/corpus/$short" "$root/tests/fuzz/regressions/$short"; do
    [ -d "$d" ] || continue
    while IFS= read -r -d '' s; do
      n=$((n + 1))
      cp "$s" "$work/in/$(printf '%06d' "$n")"
    done < <(find "$d" -type f ! -name '.*' -print0 | LC_ALL=C sort -z)
  done
  seeds=()
  if [ "$n" -gt 0 ]; then
    (cd "$work" && printf '%s\n' in/* | paste -sd, > seeds)
    seeds=(-seed_inputs=@seeds)
  fi
  runs=$(runs_for "$short")
  echo "== $name: $n seeds, $runs inputs, seed $seed"
  # No time limits that decide a result: the per-input timeout only stops a hang, the memory limit
  # is per allocation (the resident-size watch is sampled by a clock and stays off).
  status=0
  (cd "$work" && env -i PATH=/usr/bin:/bin LANG=C.UTF-8 TZ=UTC UBSAN_OPTIONS="$UBSAN_OPTIONS" \
     "${norandom[@]}" ./target -seed=$seed -runs="$runs" "${seeds[@]}" -artifact_prefix=./ \
     -use_cmp=0 -timeout=120 -rss_limit_mb=0 -malloc_limit_mb=2048 -reload=0 -print_final_stats=1 \
     > log 2>&1) || status=$?
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
