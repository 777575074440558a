#!/usr/bin/env bash
# Runs the statement, user-function and command-cycle benchmarks of two builds in turn,
# round after round (in alternating order), pinned to one core: B1 (the scalar loop), B2 (fib), B3 (Collatz) and
# the whole command cycle. Only the ratios within one run mean anything on a shared machine.
#   usage: bench/compare_builds.sh BEFORE_BUILD_DIR AFTER_BUILD_DIR [ROUNDS]
set -eu
before=$1
after=$2
rounds=${3:-5}
export OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1
pin="taskset -c 1"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
for round in $(seq "$rounds"); do
  # The order changes every round, so that a drift of the machine's speed favours neither.
  order="$before $after"
  [ $((round % 2)) -eq 0 ] && order="$after $before"
  for build in $order; do
    echo "== round $round: $build"
    ZIRBIN_HOME="$home" $pin "$build/bin/bench_statements" | head -2
    ZIRBIN_HOME="$home" $pin "$build/bin/bench_user_functions" | head -1
    ZIRBIN_HOME="$home" $pin "$build/bin/bench_command_cycle" | tail -1
  done
done
