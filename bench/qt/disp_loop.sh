#!/bin/sh
# The disp loop in the desktop (offscreen) beside the same loop in --batch to /dev/null.
# Usage: bench/qt/disp_loop.sh BUILD_DIR
bin="${1:-build}/bin"
"$bin/desktop_responsiveness"
start=$(date +%s.%N)
printf 'for i = 1:1e6: {disp(i)}\n' | ZIRBIN_HOME=$(mktemp -d) "$bin/zirbin2020" --batch >/dev/null
end=$(date +%s.%N)
echo "for i = 1:1e6: {disp(i)} in --batch to /dev/null: $(echo "($end - $start) * 1000" | bc | cut -d. -f1) ms"
