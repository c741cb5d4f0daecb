#!/bin/sh
# Builds the editor and starts it under Wine, passing its arguments on.
#   scripts/run.sh [FILE...]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/packages.sh"
vantrel_ensure_packages
build=${VANTREL_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" vantrel lexdump wineprefix
exec "$root/cmake/run-wine.sh" --prefix "$build/wineprefix" --display "$build/vantrel.exe.so" "$@"
