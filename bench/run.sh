#!/bin/bash
# The dummy benchmark (a script, not a test): N daily series of ten years
# as BY groups, the 25 holiday dummies written by a VORNAK step, against
# formatting and writing the same bytes only and against pandas, and the
# dummy construction alone (bench/dummy_benchmark.cpp, when Google
# Benchmark is there) beside pandas' build step.
#
#   bench/run.sh N [WORKDIR]     (from the top of the checkout; default
#                                 WORKDIR /tmp/orv-bench-N)
#
# Needs a configured build directory, build/ or the one named by BUILD
# (for the figures a Release one), and /usr/bin/time.  PIN, when set, is
# put before every timed command, for example PIN="taskset -c 7".
set -euo pipefail
n=${1:?usage: bench/run.sh N [WORKDIR]}
work=${2:-/tmp/orv-bench-$n}
build=${BUILD:-build}
pin=${PIN:-}
mkdir -p "$work/data" "$work/out"
ninja -C "$build" orvhost orvkeydf orv_bench_format_write > /dev/null
[ -f "$work/data/daily.csv" ] || /usr/bin/python3 bench/generate.py "$n" "$work/data"
echo "== load: $(uptime)"
# timed LOG COMMAND...: runs COMMAND with its output in LOG and prints its
# wall time and peak memory.  The earlier runs' output is written back to
# the disk first (sync), so that no run pays for another's.
timed() { local log=$1; shift; sync; /usr/bin/time -v $pin "$@" > "$log" 2> "$work/time.txt"; cat "$log" | grep -E "^pandas|^format" || true; grep -E "Elapsed|Maximum resident" "$work/time.txt"; }
echo "== orvhost, reading only"
timed "$work/readonly.log" "$build"/bin/orvhost --lib bench="$work/data" --lib out="$work/out" bench/readonly.job
# The format-only program writes a new file; so does the job when no
# earlier output is there.  Replacing one also drops the old file's pages.
echo "== orvhost, dummies, a new data set"
rm -f "$work/out/dummies.csv" "$work/out/dummies.meta.json"
timed "$work/dummies.log" "$build"/bin/orvhost --lib bench="$work/data" --lib out="$work/out" bench/dummies.job
tail -3 "$work/dummies.log"
echo "== orvhost, dummies, replacing the data set"
timed "$work/dummies.log" "$build"/bin/orvhost --lib bench="$work/data" --lib out="$work/out" bench/dummies.job
echo "== format and write only"
sync
$pin "$build"/bin/orv_bench_format_write "$work/out/dummies.csv" "$work/format.csv"
cmp "$work/out/dummies.csv" "$work/format.csv" && echo "the same bytes"
rm -f "$work/format.csv"
echo "== pandas, without to_csv"
timed "$work/pandas_nowrite.log" /usr/bin/python3 bench/pandas_dummies.py "$work/data" "$work/pandas.csv" --no-write
echo "== pandas, with to_csv"
timed "$work/pandas.log" /usr/bin/python3 bench/pandas_dummies.py "$work/data" "$work/pandas.csv"
echo "== dummy construction alone, N groups per iteration"
if ninja -C "$build" dummy_benchmark > /dev/null 2>&1; then
  $pin "$build"/bin/dummy_benchmark --groups="$n" 2> /dev/null | grep "^dummies/"
else
  echo "dummy_benchmark not built (no Google Benchmark)"
fi
echo "== values: orvhost and pandas"
cmp "$work/out/dummies.csv" "$work/pandas.csv" && echo "the same bytes"
rm -f "$work/pandas.csv"
echo "== load: $(uptime)"
