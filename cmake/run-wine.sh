#!/bin/sh
# Runs a Winelib program in the build tree's own Wine prefix, quietly, and
# leaves no wineserver behind.
#   run-wine.sh --prefix DIR --init            create the prefix once
#   run-wine.sh --prefix DIR [--display] PROGRAM.exe.so ARGS...
set -u
prefix=
display=no
init=no
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --display) display=yes; shift ;;
    --init) init=yes; shift ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || { echo "run-wine.sh: --prefix is required" >&2; exit 2; }
wine_dir=${WINE_TOOLS_DIR:-/usr/lib/wine}
export WINEPREFIX="$prefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$init" = yes ]; then
  mkdir -p "$prefix"
  "$wine_dir/wine64" wineboot -i >/dev/null 2>&1
  status=$?
  "$wine_dir/wineserver" -w
  [ $status -eq 0 ] && touch "$prefix/.created"
  exit $status
fi
if [ "$display" = yes ] && [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" "$wine_dir/wine64" "$@"
else
  "$wine_dir/wine64" "$@"
fi
status=$?
"$wine_dir/wineserver" -k >/dev/null 2>&1
exit $status
