#!/usr/bin/env bash
# Feeds a transcript script to `zirbin2020 --batch` as typed lines and compares what the
# console shows with what the script expects.
#   usage: run_transcript.sh ZIRBIN2020 SCRIPT.zrb
# The expected output is SCRIPT.out when that file exists; otherwise it is the text after
# "# expect: " on each line of the script, in order ("# expect:" alone is an empty line).
# A first line "# args: ..." gives extra arguments for the batch front end (shell quoting
# applies, so -e 'a line' is one argument). A line "# status: N" expects exit status N.
# The script runs in its own directory, with a fresh state directory; a line
# "# workdir: scratch" runs it in a fresh empty directory instead (for scripts that write
# files), whose path shows as "<scratch>" in the output.
# Lines "# restart" cut the script into runs of the program, one after the other in the
# same directories, so that each run finds what the previous one saved at its end; the
# expected status is that of the last run.
set -u
bin=$1
script=$2
out=${script%.zrb}.out
args=$(sed -n '1s/^# args: //p' "$script")
status_expected=$(sed -n 's/^# status: \([0-9][0-9]*\)$/\1/p' "$script" | head -n 1)
home=$(mktemp -d)
workdir=$(dirname "$script")
if grep -q '^# workdir: scratch$' "$script"; then
  workdir=$(mktemp -d)
  scratch=$workdir
fi
trap 'rm -rf "$home" ${scratch:+"$scratch"}' EXIT
if [ -f "$out" ]; then
  expected=$(cat "$out")
else
  expected=$(sed -n -e 's/.*# expect: \(.*\)$/\1/p' -e 's/.*# expect:$//p' "$script")
fi
eval "set -- $args"
runs=$(( $(grep -c '^# restart$' "$script") + 1 ))
actual=""
for (( run = 1; run <= runs; run++ )); do
  part=$(cd "$workdir" && set -o pipefail &&
    awk -v run="$run" '/^# restart$/ { ++cut; next } cut + 1 == run' "$script" |
    ZIRBIN_HOME="$home" "$bin" --batch "$@" 2>&1)
  status=$?
  if [ -n "$actual" ] && [ -n "$part" ]; then actual+=$'\n'; fi
  actual+=$part
done
if [ -n "${scratch:-}" ]; then
  actual=${actual//"$scratch"/<scratch>}
fi
failed=0
if [ "$actual" != "$expected" ]; then
  echo "transcript differs: $script"
  diff <(echo "$expected") <(echo "$actual")
  failed=1
fi
if [ -n "$status_expected" ] && [ "$status" != "$status_expected" ]; then
  echo "exit status $status, expected $status_expected: $script"
  failed=1
fi
exit $failed
