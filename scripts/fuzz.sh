#!/bin/sh
# Builds the fuzz targets of fuzz/ with clang and libFuzzer (in build-fuzz/)
# and runs each for SECONDS (default 60), one after the other:
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Each target starts from its corpus in fuzz/corpus/<target>/; what libFuzzer
# finds on the way is kept in build-fuzz/corpus/<target>/, out of the
# repository. An input that makes a target fail is copied into
# fuzz/corpus/<target>/ (named after its hash), so that the corpus replay
# test runs it from then on; commit it with the mend. Exits non-zero when
# any target failed.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/packages.sh"
vantrel_ensure_packages
vantrel_ensure_packages clang libclang-rt-14-dev
seconds=${1:-60}
[ $# -gt 0 ] && shift
build=${VANTREL_FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=${VANTREL_JOBS:-$(nproc)}

if [ $# -gt 0 ]; then
  targets="$*"
else
  targets=$(cd "$root/fuzz" && ls *_fuzz.cpp | sed 's/_fuzz\.cpp$//')
fi

echo "== Build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTREL_FUZZ=ON -DVANTREL_WINE=OFF -DVANTREL_BENCH=OFF >/dev/null
# shellcheck disable=SC2046
ninja -C "$build" -j "$jobs" $(for target in $targets; do printf '%s_fuzz ' "$target"; done)

failed=
for target in $targets; do
  corpus=$root/fuzz/corpus/$target
  found=$build/corpus/$target
  crashes=$build/crashes/$target
  mkdir -p "$corpus" "$found" "$crashes"
  echo "== $target: $seconds s"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
       "$build/${target}_fuzz" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$crashes/" "$found" "$corpus"; then
    failed="$failed $target"
  fi
  for input in "$crashes"/*; do
    [ -f "$input" ] || continue
    kept=$corpus/failed-$(sha1sum "$input" | cut -c1-16)
    cp "$input" "$kept"
    echo "kept $kept"
    rm -f "$input"
  done
done
if [ -n "$failed" ]; then
  echo "error: these targets failed:$failed (the inputs are in their corpora)" >&2
  exit 1
fi
