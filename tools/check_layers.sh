#!/bin/sh
# Fails when a file under src/ includes a header of a folder in a higher layer than its own.
# The layers are those of tools/layers.txt. Usage: check_layers.sh [source directory]
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2
status=0
# Each folder's layer number, from the order in layers.txt.
levels=$(awk '!/^#/ && NF { ++n; for (i = 1; i <= NF; ++i) print $i, n }' tools/layers.txt)
for dir in src/*/; do
  folder=$(basename "$dir")
  own=$(printf '%s\n' "$levels" | awk -v f="$folder" '$1 == f { print $2 }')
  if [ -z "$own" ]; then
    echo "src/$folder is not in tools/layers.txt"
    status=1
    continue
  fi
  # Lines of the form  file:line:#include "folder/..."
  out=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z_]+/' "$dir" |
    awk -v own="$own" -v levels="$levels" '
      BEGIN { n = split(levels, rows, "\n"); for (i = 1; i <= n; ++i) { split(rows[i], kv, " "); level[kv[1]] = kv[2] } }
      {
        match($0, /"[a-z_]+\//); target = substr($0, RSTART + 1, RLENGTH - 2)
        if (!(target in level)) { print $0 "  (folder " target " is not in tools/layers.txt)"; next }
        if (level[target] > own) print $0 "  (includes upward: " target ")"
      }')
  if [ -n "$out" ]; then
    printf '%s\n' "$out"
    status=1
  fi
done
[ $status -eq 0 ] && echo "layers: every include points down or sideways"
exit $status
