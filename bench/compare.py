#!/usr/bin/python3
"""Times the benchmarks of bench/ beside the same work done with pandas and
numpy, in the same run and on the same inputs, and prints each figure with
its peer, the ratio and the target.

    bench/compare.py [--build DIR] [--cpu N] [--rows N] [--min-time S]

--build is a Release build directory holding bin/interval_benchmark and
bin/dataset_benchmark (default build-release); --cpu pins this script and
the benchmarks to one core (default 0); --rows is the data-set size
(default 2000000).  The inputs are those of bench/bench_inputs.h: 2^21 day
numbers over 1981 to 2036 from the same linear congruential sequence.

Ratios are "times faster than the peer": peer time / our time.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
import pandas as pd
from pandas.tseries.holiday import USFederalHolidayCalendar

INPUT_COUNT = 1 << 21
EPOCH = np.datetime64("1960-01-01", "D")


def input_days():
    """Day numbers (days since 1960-01-01), as bench_inputs.h makes them."""
    first = (np.datetime64("1981-01-01", "D") - EPOCH).astype(int)
    span = (np.datetime64("2036-12-31", "D") - EPOCH).astype(int) - first + 1
    mask = (1 << 64) - 1
    a = 1
    out = np.empty(INPUT_COUNT, dtype=np.int64)
    for i in range(INPUT_COUNT):
        a = (a * 6364136223846793005 + 1442695040888963407) & mask
        out[i] = first + (a >> 32) % span
    return out


def best_seconds(work, repeats=3):
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        work()
        best = min(best, time.perf_counter() - start)
    return best


def run_benchmarks(binary, extra, min_time):
    command = [binary, "--benchmark_format=json", f"--benchmark_min_time={min_time}"] + extra
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    return {b["name"]: b for b in json.loads(output)["benchmarks"]}


def ns_per_call(results, name):
    return results[name]["ns/call"] * 1e9


def pandas_peers(days, rows):
    """Seconds per element of each peer (MB/s for the CSV ones)."""
    dates = pd.DatetimeIndex(EPOCH + days)
    later = pd.DatetimeIndex(EPOCH + np.roll(days, -1))
    steps = (np.arange(INPUT_COUNT) % 7 - 3).astype(np.int64)
    n = float(INPUT_COUNT)
    peers = {}
    peers["period_start"] = best_seconds(lambda: dates.to_period("M").start_time) / n
    peers["dateoffset"] = best_seconds(lambda: dates + pd.DateOffset(months=3)) / n
    day_values = (EPOCH + days).astype("M8[D]")
    peers["busday"] = best_seconds(
        lambda: np.busday_offset(day_values, steps, roll="backward")) / n
    later_values = (EPOCH + np.roll(days, -1)).astype("M8[D]")
    peers["month_diff"] = best_seconds(
        lambda: later_values.astype("M8[M]") - day_values.astype("M8[M]")) / n
    # A new calendar each time: a calendar keeps the holidays it has made.
    peers["holidays"] = best_seconds(
        lambda: USFederalHolidayCalendar().holidays(start="1901-01-01", end="2100-12-31"))

    i = np.arange(rows)
    frame = pd.DataFrame({
        "group": (i // 1000).astype(float),
        "date": (EPOCH + (21915 + i % 365)).astype("M8[D]"),
        "value": i / 7.0,
        "label": ["it%-8d" % (k % 100000) for k in range(rows)],
    })
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "bench.csv")
        write = best_seconds(lambda: frame.to_csv(path, index=False), repeats=2)
        megabytes = os.path.getsize(path) / 1e6
        read = best_seconds(lambda: pd.read_csv(path, parse_dates=["date"]), repeats=2)
    peers["to_csv"] = megabytes / write
    peers["read_csv"] = megabytes / read
    del later
    return peers


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-release")
    parser.add_argument("--cpu", type=int, default=0)
    parser.add_argument("--rows", type=int, default=2000000)
    parser.add_argument("--min-time", type=float, default=0.3)
    args = parser.parse_args()
    os.sched_setaffinity(0, {args.cpu})  # the benchmarks inherit it

    binaries = os.path.join(args.build, "bin")
    intervals = run_benchmarks(os.path.join(binaries, "interval_benchmark"), [], args.min_time)
    datasets = run_benchmarks(os.path.join(binaries, "dataset_benchmark"),
                              [f"--rows={args.rows}"], args.min_time)
    peers = pandas_peers(input_days(), args.rows)
    ns = 1e9

    print(f"load average {os.getloadavg()[0]:.2f}; one core ({args.cpu}); "
          f"{INPUT_COUNT} inputs, days 1981 to 2036; data sets of {args.rows} rows "
          f"(pandas timed by the wall clock)\n")
    print(f"{'work':<28}{'ours':>12}{'peer':>40}{'ratio':>9}{'target':>10}")

    def line(work, ours, unit, peer_name=None, peer=None, target=None, higher_is_better=False):
        ratio = ""
        if peer is not None:
            ratio = f"{(ours / peer if higher_is_better else peer / ours):.1f}x"
        peer_text = f"{peer_name} {peer:.2f}" if peer is not None else "-"
        target_text = f"{target}" if target is not None else "keep"
        print(f"{work:<28}{ours:>9.2f} {unit:<4}{peer_text:>38}{ratio:>9}{target_text:>10}")

    line("INTNX MONTH, B", ns_per_call(intervals, "intnx/MONTH/B"), "ns",
         "pandas Period start_time", peers["period_start"] * ns, 10)
    line("INTNX MONTH, S", ns_per_call(intervals, "intnx/MONTH/S"), "ns",
         "pandas DateOffset(months=3)", peers["dateoffset"] * ns, 20)
    line("INTNX QTR.2, E", ns_per_call(intervals, "intnx/QTR.2/E"), "ns", target=15)
    line("INTNX WEEKDAY, B", ns_per_call(intervals, "intnx/WEEKDAY/B"), "ns",
         "numpy busday_offset", peers["busday"] * ns, 6)
    line("INTCK MONTH", ns_per_call(intervals, "intck/MONTH/discrete"), "ns",
         "numpy M8[M] difference", peers["month_diff"] * ns, 10)
    line("INTNX DAY, B", ns_per_call(intervals, "intnx/DAY/B"), "ns")
    line("INTNX WEEK, B", ns_per_call(intervals, "intnx/WEEK/B"), "ns")
    line("INTCK WEEK", ns_per_call(intervals, "intck/WEEK/discrete"), "ns")
    line("civil from days", ns_per_call(intervals, "civil/from_days"), "ns", target=3)
    line("days from civil", ns_per_call(intervals, "civil/days_from"), "ns", target=3)
    holidays = intervals["holidays/25x200"]["real_time"]  # ms
    line("25 holidays x 200 years", holidays, "ms",
         "pandas federal 11x200 (ms)", peers["holidays"] * 1e3)
    for clock, suffix in (("wall", "/real_time"), ("cpu", "")):
        write = datasets["dataset/write" + suffix]["bytes_per_second"] / 1e6
        read = datasets["dataset/read" + suffix]["bytes_per_second"] / 1e6
        inferred = datasets["dataset/read-inferred" + suffix]["bytes_per_second"] / 1e6
        line(f"data-set write ({clock})", write, "MB/s", "pandas to_csv MB/s",
             peers["to_csv"], 300, True)
        line(f"data-set read ({clock})", read, "MB/s", "pandas read_csv MB/s",
             peers["read_csv"], 500, True)
        line(f"read, types inferred ({clock})", inferred, "MB/s", "pandas read_csv MB/s",
             peers["read_csv"], higher_is_better=True)

    table = sorted(((ns_per_call(intervals, name), name) for name in intervals
                    if name.startswith(("intnx/", "intck/"))), reverse=True)
    print(f"\nEvery interval and alignment ({len(table)} figures), target 20 ns:")
    print(f"  slowest {table[0][1]} {table[0][0]:.1f} ns; "
          f"above 20 ns: {sum(1 for t, _ in table if t > 20)}")
    for figure, name in table:
        print(f"  {name:<32}{figure:8.1f} ns")
    return 0


if __name__ == "__main__":
    sys.exit(main())
