#!/usr/bin/env bash
# Runs the Zirbin benchmarks (bench/*.zrb) and their peers in Python, NumPy, Lua and
# Octave side by side, each pinned to one core with single-threaded BLAS.
#   usage: [BEFORE=OTHER_ZIRBIN2020] bench/run_peers.sh [ZIRBIN2020] [BENCH...]
# BEFORE names a second build (an older one) to run beside the first in the same round.
# Peers that are not installed are skipped. Figures are times: lower is better, and only
# ratios within one run mean anything on a shared machine.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/bin/zirbin2020}
shift || true
benches=${*:-fib collatz whole_array eigen solve}
export OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 MKL_NUM_THREADS=1 GOTO_NUM_THREADS=1
pin="taskset -c 1"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
python=/usr/bin/python3   # Debian's, which has NumPy
peak() {  # runs a command, printing its output and then its peak resident size
  /usr/bin/time -f "  peak RSS %M kB" "$@" 2>&1 | grep -v 'too large to be saved'
}
run() {  # label, command...
  local label=$1; shift
  command -v "$1" >/dev/null || { echo "  $label: not installed"; return; }
  echo "  $label:"; peak $pin "$@" | sed 's/^/    /'
}
for b in $benches; do
  echo "== $b"
  [ -n "${BEFORE:-}" ] && run "zirbin (before)" env ZIRBIN_HOME="$home" "$BEFORE" --batch "$root/bench/$b.zrb"
  run zirbin env ZIRBIN_HOME="$home" "$bin" --batch "$root/bench/$b.zrb"
  p=$root/bench/peers/$b
  [ -f "$p.py" ] && run python $python "$p.py"
  [ -f "$p.lua" ] && run lua lua5.4 "$p.lua"
  [ -f "$p.m" ] && run octave octave-cli --no-gui -q "$p.m"
done
