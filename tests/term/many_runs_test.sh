#!/usr/bin/env bash
# Runs the "Many runs at once" example of the README as written, in a copy of the demo's
# parameter study, and checks each run's result file.
#   usage: many_runs_test.sh ZIRBIN2020 README.md DEMO_MANY_DIR
set -eu
bin=$(cd "$(dirname "$1")" && pwd)
readme=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$3"/. "$work"
example=$(sed -n '/^<!-- many-runs -->$/,/^<!-- \/many-runs -->$/p' "$readme" | sed '/^<!--/d; /^```/d')
[ -n "$example" ] || { echo "no example in $readme"; exit 1; }
output=$(cd "$work" && PATH="$bin:$PATH" bash -c "$example")
for k in 1 2 3 4; do
  grep -qx "rate $k: mean [0-9.]*" "$work/results/p$k.txt" || {
    echo "results/p$k.txt:"; cat "$work/results/p$k.txt"; exit 1; }
  [ -d "$work/state/p$k" ] && [ -f "$work/state/p$k/zirbin_env.bin" ] || {
    echo "run $k has no state directory of its own"; exit 1; }
done
[ "$(printf '%s\n' "$output" | grep -c '^rate ')" = 4 ] || { echo "$output"; exit 1; }
