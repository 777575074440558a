#!/usr/bin/env bash
# Feeds a transcript script to `zirbin2020 --batch` as typed lines and compares what the
# console shows with what the script expects.
#   usage: run_transcript.sh ZIRBIN2020 SCRIPT.zrb
# The expected output is SCRIPT.out when that file exists; otherwise it is the text after
# "# expect: " on each line of the script, in order ("# expect:" alone is an empty line).
# A first line "# args: ..." gives extra arguments for the batch front end.
set -u
bin=$1
script=$2
out=${script%.zrb}.out
args=$(sed -n '1s/^# args: //p' "$script")
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
if [ -f "$out" ]; then
  expected=$(cat "$out")
else
  expected=$(sed -n -e 's/.*# expect: \(.*\)$/\1/p' -e 's/.*# expect:$//p' "$script")
fi
# shellcheck disable=SC2086
actual=$(cd "$(dirname "$script")" && ZIRBIN_HOME="$home" "$bin" --batch $args < "$script" 2>&1)
if [ "$actual" != "$expected" ]; then
  echo "transcript differs: $script"
  diff <(echo "$expected") <(echo "$actual")
  exit 1
fi
