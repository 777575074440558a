#!/usr/bin/env bash
# Builds the statement benchmark (Release) and prints nanoseconds per iteration.
#   usage: bench/run_statement_bench.sh [BUILD_DIR]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target bench_statements >/dev/null
# Processor time counts every thread: OpenBLAS helper threads, idle here, must not add theirs.
OPENBLAS_NUM_THREADS=${OPENBLAS_NUM_THREADS:-1} "$build/bin/bench_statements"
