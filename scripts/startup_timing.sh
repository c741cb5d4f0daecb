#!/bin/sh
# Times the editor's start-up under Wine: from launching the program to the
# first painted frame of its window, with an empty buffer and with a 10 MB
# file argument, 5 runs each (median reported), and the median and share of
# each start-up statistic ("Startup", "StartupUI", "StartupPostUI",
# "StartupInit"), which the program writes to its log when it exits.
#
#   scripts/startup_timing.sh [BUILD_DIR]      (default: build)
#
# Runs on a display of its own (Xvfb) with the build tree's Wine prefix. The
# Wine server is started once and kept for all runs, so the figures are the
# program's start-up rather than Wine's. "First painted frame" is the first
# moment the program's window exists and shows more than one colour. Each run
# ends with a close request to the window (taskkill without /f), so the
# program exits normally and writes its statistics.
set -u
build=$(cd "${1:-build}" && pwd)
program="$build/vantrel.exe.so"
prefix="$build/wineprefix"
wine_dir=${WINE_TOOLS_DIR:-/usr/lib/wine}
runs=5
[ -f "$program" ] || { echo "no $program: build it first" >&2; exit 2; }
[ -f "$prefix/.created" ] || "$(dirname "$0")/../cmake/run-wine.sh" --prefix "$prefix" --init

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d /tmp/vantrel-startup-timing.XXXXXX)
display_number=$(( ($$ % 400) + 100 ))
Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display_number"
cleanup() {
  "$wine_dir/wineserver" -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT INT TERM
sleep 1
"$wine_dir/wineserver" -p >/dev/null 2>&1

# The 10 MB file: lines of C-like text.
python3 - "$work/big.c" <<'EOF_PY'
import sys
line = "int value_%07d = compute(alpha, beta) + 42; /* a comment */\n"
with open(sys.argv[1], "w") as out:
    size, i = 0, 0
    while size < 10 * 1024 * 1024:
        text = line % i
        out.write(text)
        size += len(text)
        i += 1
EOF_PY
mkdir -p "$work/data"

now() { date +%s.%N; }

# One run: prints "SECONDS" to stdout; the program's log goes to $2.
run_once() {
  file_argument=$1
  log=$2
  start=$(now)
  if [ -n "$file_argument" ]; then
    "$wine_dir/wine64" "$program" --multiinstance --debug --data "$work/data" "$file_argument" >"$log" 2>&1 &
  else
    "$wine_dir/wine64" "$program" --multiinstance --debug --data "$work/data" >"$log" 2>&1 &
  fi
  pid=$!
  painted=
  deadline=$(echo "$start + 60" | bc)
  while [ -z "$painted" ]; do
    if [ "$(echo "$(now) > $deadline" | bc)" = 1 ] || ! kill -0 "$pid" 2>/dev/null; then
      echo "no painted window" >&2
      break
    fi
    for window in $(xdotool search --onlyvisible --name Vantrel 2>/dev/null); do
      colours=$(import -window "$window" -format '%k' info: 2>/dev/null)
      if [ -n "$colours" ] && [ "$colours" -gt 1 ]; then
        painted=$(now)
        break
      fi
    done
    [ -n "$painted" ] || sleep 0.02
  done
  "$wine_dir/wine64" taskkill /im vantrel.exe >/dev/null 2>&1
  wait "$pid" 2>/dev/null
  [ -n "$painted" ] && echo "$painted - $start" | bc
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }

# The sum of one statistic in a log ("name : ... sum S, n N").
statistic_sum() {
  grep -E "^.*[[:space:]]$1[[:space:]]*:" "$2" | sed -n 's/.*sum \([0-9.e+-]*\),.*/\1/p' | tail -1
}

for case in empty file; do
  argument=
  [ "$case" = file ] && argument="$work/big.c"
  : >"$work/$case.times"
  for i in $(seq "$runs"); do
    seconds=$(run_once "$argument" "$work/$case.$i.log")
    [ -n "$seconds" ] && echo "$seconds" >>"$work/$case.times"
  done
  echo "$case: first painted frame, median of $(wc -l <"$work/$case.times") runs: $(median <"$work/$case.times") s"
  echo "  all runs: $(tr '\n' ' ' <"$work/$case.times")"
  # Each statistic's median over the runs (one sample per run).
  for name in Startup StartupUI StartupPostUI StartupInit; do
    for i in $(seq "$runs"); do statistic_sum "$name" "$work/$case.$i.log"; done | median >"$work/$name.median"
  done
  total=$(cat "$work/Startup.median")
  if [ -n "$total" ]; then
    for name in Startup StartupUI StartupPostUI StartupInit; do
      value=$(cat "$work/$name.median")
      [ -n "$value" ] && echo "  $name (median): $value s ($(echo "scale=1; 100 * $value / $total" | bc -l)% of Startup)"
    done
  else
    echo "  (no statistics in the logs)"
  fi
done
