#!/usr/bin/python3
"""The benchmark's pandas side: builds the dummies of the 25 holiday date
keys for every series of DIR/daily.csv, series by series (so that memory
stays that of one series), as 0/1 columns beside series, date and value,
and writes them with to_csv to OUT.  The holiday dates come from
tests/oracle/holidays_dates.py (python3-holidays and python3-dateutil).

    /usr/bin/python3 bench/pandas_dummies.py DIR OUT [--no-write]

Prints the seconds of reading, of building and of writing; --no-write
leaves out to_csv (and OUT is not written).
"""
import datetime
import os
import sys
import time

import holidays
import pandas as pd

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "oracle"))
from holidays_dates import dates_of  # noqa: E402

# The 25 keys in the job's order, by date-key code.
KEYS = [("easter", 20), ("thanksgiving", 21), ("boxing", 22), ("canada", 23), ("christmas", 24),
        ("fathers", 25), ("halloween", 26), ("usindependence", 27), ("labor", 28), ("memorial", 29),
        ("mothers", 30), ("newyear", 31), ("thanksgivingcanada", 32), ("valentines", 33),
        ("victoria", 34), ("canadaobserved", 35), ("mlk", 36), ("uspresidents", 37), ("veterans", 38),
        ("veteransusg", 39), ("veteransusps", 40), ("columbus", 41), ("juneteenth", 42),
        ("juneteenthusg", 43), ("juneteenthusps", 44)]


def holiday_dates(years):
    us = holidays.US(years=years, observed=True)
    ca = holidays.CA(years=years, observed=False)
    ca_observed = holidays.CA(years=years, observed=True)
    out = {code: [] for _, code in KEYS}
    for year in years:
        dates = dates_of(year, us, ca, ca_observed)
        # Canada Day observed moves only a Sunday: a Saturday stays.
        if dates.get(35) is None:
            dates[35] = datetime.date(year, 7, 1)
        for code in out:
            out[code].append(pd.Timestamp(dates[code]))
    return {code: pd.DatetimeIndex(days) for code, days in out.items()}


def main():
    directory, target = sys.argv[1], sys.argv[2]
    write = "--no-write" not in sys.argv
    t0 = time.perf_counter()
    data = pd.read_csv(os.path.join(directory, "daily.csv"), parse_dates=["date"])
    t1 = time.perf_counter()
    years = range(data["date"].min().year, data["date"].max().year + 1)
    dates = holiday_dates(years)
    build = writing = 0.0
    first = True
    for _, group in data.groupby("series", sort=False):
        b = time.perf_counter()
        frame = group.reset_index(drop=True)
        for name, code in KEYS:
            frame[name] = frame["date"].isin(dates[code]).astype("int64")
        w = time.perf_counter()
        build += w - b
        if write:
            frame.to_csv(target, mode="w" if first else "a", header=first, index=False, date_format="%Y-%m-%d")
            writing += time.perf_counter() - w
        first = False
    print("pandas read=%.3f build=%.3f write=%.3f total=%.3f" % (t1 - t0, build, writing,
                                                                  time.perf_counter() - t0))


if __name__ == "__main__":
    main()
