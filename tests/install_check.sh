#!/bin/sh
# Installs the build into a temporary prefix and checks the installed tree: programs, desktop
# entry, AppStream data, icons, manual pages, strings tables and the grammars' licences, each valid
# where a validator exists.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail=0
for f in bin/glimmerpad bin/glimmerpad-cli \
         share/applications/org.glimmerpad.Glimmerpad.desktop \
         share/metainfo/org.glimmerpad.Glimmerpad.metainfo.xml \
         share/icons/hicolor/scalable/apps/org.glimmerpad.Glimmerpad.svg \
         share/icons/hicolor/48x48/apps/org.glimmerpad.Glimmerpad.png \
         share/icons/hicolor/256x256/apps/org.glimmerpad.Glimmerpad.png \
         share/man/man1/glimmerpad.1 share/man/man1/glimmerpad-cli.1 \
         share/glimmerpad/translations/glimmerpad_en.qm share/glimmerpad/translations/glimmerpad_de.qm \
         share/doc/glimmerpad/tree-sitter-c.LICENSE share/doc/glimmerpad/tree-sitter-cpp.LICENSE \
         share/doc/glimmerpad/tree-sitter-objc.LICENSE share/doc/glimmerpad/tree-sitter-swift.LICENSE; do
  [ -e "$prefix/$f" ] || { echo "missing: $f"; fail=1; }
done
[ -x "$prefix/bin/glimmerpad-cli" ] && "$prefix/bin/glimmerpad-cli" --version | grep -q "glimmerpad-cli" \
  || { echo "installed glimmerpad-cli does not run"; fail=1; }
# The program answers --help without a display.
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/glimmerpad" --help | grep -q "APP" \
  || { echo "glimmerpad --help needs a display"; fail=1; }
if command -v desktop-file-validate >/dev/null; then
  # Debian 12's validator (0.26) predates the SingleMainWindow key of the 1.5 format; the entry
  # is checked without that one key, everything else as it is installed.
  entry=$(mktemp --suffix=.desktop)
  grep -v '^SingleMainWindow=' "$prefix/share/applications/org.glimmerpad.Glimmerpad.desktop" > "$entry"
  desktop-file-validate "$entry" || fail=1
  rm -f "$entry"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.glimmerpad.Glimmerpad.metainfo.xml" >/dev/null || fail=1
fi
[ $fail -eq 0 ] && echo "1 passed, 0 failed"
exit $fail
