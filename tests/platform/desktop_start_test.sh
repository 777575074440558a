#!/usr/bin/env bash
# zirbin2020 on a terminal with a display opens the desktop from its module, which is loaded
# only then: the typed lines run in the console window (they write a file), nothing falls
# back to the terminal, and without the module the terminal takes over with a message.
#   usage: desktop_start_test.sh ZIRBIN2020
set -eu
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/state"
cp "$(dirname "$program")"/zirbin2020 "$(dirname "$program")"/libzirbin_desktop.so "$work/bin/"
run() {  # standard input is the pseudo-terminal of script(1): not redirected
  (cd "$work" && ZIRBIN_HOME="$work/state" QT_QPA_PLATFORM=offscreen timeout 60 \
    script -qec "$work/bin/zirbin2020 -e \"writetext('$work/out.txt', 'ran')\" -e quit" /dev/null) 2>&1
}
output=$(run)
[ "$(cat "$work/out.txt" 2>/dev/null)" = ran ] || { echo "the typed lines did not run: $output"; exit 1; }
case $output in *"could not be started"*|*"> "*) echo "not the desktop: $output"; exit 1;; esac

rm "$work/out.txt" "$work/bin/libzirbin_desktop.so"
output=$(run)
case $output in *"the desktop could not be started"*"running on the terminal"*) ;;
  *) echo "no message without the module: $output"; exit 1;; esac
[ "$(cat "$work/out.txt" 2>/dev/null)" = ran ] || { echo "the terminal did not take over: $output"; exit 1; }
