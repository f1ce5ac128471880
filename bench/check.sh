#!/usr/bin/env bash
# Runs every benchmark program of a build and prints only the targets it
# missed, each with its figure and its target; exits non-zero when one was
# missed or a program failed.
#
#   bench/check.sh [build folder]        (default: build)
#
# Targets are found in what the programs print: a line ending in
# "<label>  <figure> ... (target <= N)" or "(target >= N)", the figure being
# the first number after the label (bench/BenchReport.h prints them so), so a
# benchmark added later is checked without a change here. Each program's
# whole output is kept in <build>/bench/check-logs/.
set -u
cd "$(dirname "$0")/.."
build=${1:-build}
build=$(cd "$build" 2>/dev/null && pwd) || { echo "check.sh: no build folder ${1:-build}" >&2; exit 2; }
logs="$build/bench/check-logs"
mkdir -p "$logs"

programs=()
for p in "$build"/bench/bench_*; do
  [ -f "$p" ] && [ -x "$p" ] && programs+=("$p")
done
if [ ${#programs[@]} -eq 0 ]; then
  echo "check.sh: no benchmark programs in $build/bench (build them first)" >&2
  exit 2
fi

missed=0
checked=0
for p in "${programs[@]}"; do
  name=$(basename "$p")
  log="$logs/$name.txt"
  # From the program's own folder: fixtures are found relative to it.
  (cd "$(dirname "$p")" && QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "./$name") >"$log" 2>&1
  status=$?
  if [ "$status" -ne 0 ]; then
    echo "$name: the program failed (exit status $status); see $log"
    missed=$((missed + 1))
    continue
  fi
  # label, figure, comparison, target. The label is words with single
  # spaces between them; the figure is the number after the two or more
  # spaces that end it.
  while IFS=$'\t' read -r label figure op target; do
    checked=$((checked + 1))
    if ! awk -v f="$figure" -v op="$op" -v t="$target" \
        'BEGIN { exit !((op == "<=" && f + 0 <= t + 0) || (op == ">=" && f + 0 >= t + 0)) }'; then
      echo "$name: $label: $figure (target $op $target)"
      missed=$((missed + 1))
    fi
  done < <(sed -n -E 's/^([^ ]+( [^ ]+)*) {2,}(-?[0-9]+(\.[0-9]+)?)( .*)? ?\(target (<=|>=) ([0-9]+(\.[0-9]+)?)\)[[:space:]]*$/\1\t\3\t\6\t\7/p' "$log")
  # A target line whose figure is not a number (nan, inf) cannot be met.
  while IFS= read -r line; do
    echo "$name: $line"
    missed=$((missed + 1))
  done < <(grep -E '\(target (<=|>=) ' "$log" |
           grep -vE '^([^ ]+( [^ ]+)*) {2,}-?[0-9]+(\.[0-9]+)?( .*)? ?\(target (<=|>=) [0-9]+(\.[0-9]+)?\)[[:space:]]*$')
  # A skipped benchmark (an error inside it) prints no figure: a missed
  # target as much as a slow one.
  if grep -q 'ERROR OCCURRED' "$log"; then
    echo "$name: a benchmark stopped with an error; see $log"
    missed=$((missed + 1))
  fi
done

if [ "$checked" -eq 0 ]; then
  echo "check.sh: no targets found in the benchmarks' output" >&2
  exit 2
fi
[ "$missed" -eq 0 ]
