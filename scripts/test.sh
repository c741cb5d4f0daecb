#!/bin/sh
# Builds everything and runs every test: the native and Wine test programs in
# the normal build, and the native tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer in a second build tree.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/packages.sh"
vantrel_ensure_packages
build=${VANTREL_BUILD_DIR:-$root/build}
sanitize_build=${VANTREL_SANITIZE_BUILD_DIR:-$root/build-sanitize}
jobs=${VANTREL_JOBS:-$(nproc)}

echo "== Build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" -j "$jobs"
echo "== Tests"
(cd "$build" && ctest --output-on-failure -j 2)

echo "== Build with sanitizers"
cmake -S "$root" -B "$sanitize_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVANTREL_SANITIZE=ON -DVANTREL_WINE=OFF -DVANTREL_BENCH=OFF >/dev/null
ninja -C "$sanitize_build" -j "$jobs" vantrel_tests
echo "== Tests with sanitizers"
(cd "$sanitize_build" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j 2)
