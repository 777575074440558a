#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a user's machine would get: the
# program reached through bin/, its data files beside it (help text, resource functions),
# the desktop entry and the icon. The installed program must answer as the built one does.
#   usage: install_test.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/zirbin2020 lib/zirbin/zirbin2020 lib/zirbin/ZirbinHelp lib/zirbin/zirbin-lookup \
         lib/zirbin/funcref.txt lib/zirbin/resource/sind.zrb lib/zirbin/demo/tour.zrb \
         share/applications/zirbin.desktop share/icons/hicolor/scalable/apps/zirbin.svg \
         share/icons/hicolor/256x256/apps/zirbin.png lib/zirbin/libzirbin_desktop.so; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
[ -L "$prefix/bin/zirbin2020" ] || { echo "bin/zirbin2020 is not a link"; exit 1; }
grep -qx 'Exec=zirbin2020 %f' "$prefix/share/applications/zirbin.desktop"
grep -qx 'Icon=zirbin' "$prefix/share/applications/zirbin.desktop"

# Both runs get state directories of their own and no terminal.
run() {
  ZIRBIN_HOME=$(mktemp -d -p "$prefix") "$1" --batch -e '?plot' -e 'disp(sind(30))' </dev/null
}
installed=$(cd "$prefix" && run "$prefix/bin/zirbin2020")
built=$(cd "$prefix" && run "$build/bin/zirbin2020")
[ "$installed" = "$built" ] || {
  echo "installed program answers differently:"; diff <(echo "$built") <(echo "$installed"); exit 1; }
printf '%s\n' "$installed" | grep -qx '0.5' || { echo "$installed"; exit 1; }
