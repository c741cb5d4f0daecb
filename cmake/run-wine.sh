#!/bin/sh
# Runs a Winelib program in the build tree's own Wine prefix, quietly, and
# leaves no wineserver behind.
#   run-wine.sh --prefix DIR --init            create the prefix once
#   run-wine.sh --prefix DIR [--display] [--keep-server] PROGRAM.exe.so ARGS...
# --keep-server leaves the prefix's wineserver running, for a program started
# beside another one in the same prefix (a second start of the editor, which
# hands over to the first): ending the server would end the other program.
set -u
prefix=
display=no
init=no
keep_server=no
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --display) display=yes; shift ;;
    --init) init=yes; shift ;;
    --keep-server) keep_server=yes; shift ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || { echo "run-wine.sh: --prefix is required" >&2; exit 2; }
wine_dir=${WINE_TOOLS_DIR:-/usr/lib/wine}
export WINEPREFIX="$prefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# The faces the editor names by default are mapped to the free,
# metric-compatible Liberation fonts, so text looks and measures the same on
# every machine. A face whose stand-in is not installed falls back as usual.
# The stamp carries a version: change it when the list changes.
fonts_stamp="$prefix/.fonts-1"
map_fonts() {
  [ -f "$fonts_stamp" ] && return 0
  reg_file="$prefix/font-replacements.reg"
  cat >"$reg_file" <<'EOF_REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Courier New"="Liberation Mono"
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
EOF_REG
  "$wine_dir/wine64" regedit /S "$reg_file" >/dev/null 2>&1 || return 1
  # The stamp is set only once the mapping can be read back: a stamp over a
  # mapping that did not take would leave the fonts missing for good.
  "$wine_dir/wine64" reg query 'HKCU\Software\Wine\Fonts\Replacements' /v "Courier New" >/dev/null 2>&1 &&
    touch "$fonts_stamp"
}

# Top-level windows are not handed to an X window manager: the test display
# has none, and Wine waits two seconds for a missing manager every time a
# managed window is hidden or destroyed.
x11_stamp="$prefix/.x11-1"
unmanaged_windows() {
  [ -f "$x11_stamp" ] && return 0
  reg_file="$prefix/x11-driver.reg"
  cat >"$reg_file" <<'EOF_REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
EOF_REG
  "$wine_dir/wine64" regedit /S "$reg_file" >/dev/null 2>&1 && touch "$x11_stamp"
}

if [ "$init" = yes ]; then
  mkdir -p "$prefix"
  "$wine_dir/wine64" wineboot -i >/dev/null 2>&1
  status=$?
  [ $status -eq 0 ] && map_fonts && unmanaged_windows
  "$wine_dir/wineserver" -w
  [ $status -eq 0 ] && touch "$prefix/.created"
  exit $status
fi
# A program run before the prefix was made would make it on the fly, racing
# the settings below; make it properly first.
if [ ! -f "$prefix/.created" ]; then
  "$0" --prefix "$prefix" --init || exit $?
fi
map_fonts
unmanaged_windows
if [ "$display" = yes ] && [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" "$wine_dir/wine64" "$@"
else
  "$wine_dir/wine64" "$@"
fi
status=$?
[ "$keep_server" = yes ] || "$wine_dir/wineserver" -k >/dev/null 2>&1
exit $status
