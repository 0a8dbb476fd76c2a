#!/usr/bin/python3
"""The benchmark's pandas side: builds the dummies of the 25 holiday date
keys for every series of DIR/daily.csv as 0/1 columns beside series, date
and value, and writes them with one to_csv to OUT.  The holiday dates come
from tests/oracle/holidays_dates.py (python3-holidays and
python3-dateutil).

    /usr/bin/python3 bench/pandas_dummies.py DIR OUT [--no-write] [--isin | --merge]

The columns are built over the whole frame at once.  By default they are
joined by position: a day x holiday table of 0/1 over the frame's days is
taken at each row's day, the fastest of the three ways tried.  --isin
builds each column as an isin of the date column against the key's dates
(about 15% slower for 1,000 series), --merge by a left join of the frame
with a date x holiday indicator table (about 7 times slower).  The whole
frame is held in memory.

Prints the seconds of reading, of building and of writing; --no-write
leaves out to_csv (and OUT is not written).
"""
import datetime
import os
import sys
import time

import holidays
import numpy as np
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


def build_isin(data, dates):
    """The 25 columns, each an isin of the date column."""
    for name, code in KEYS:
        data[name] = data["date"].isin(dates[code]).astype("int64")
    return data


def build_merge(data, dates):
    """The 25 columns by a left join with a date x holiday indicator table."""
    days = sorted({day for code in dates for day in dates[code]})
    table = pd.DataFrame({"date": pd.DatetimeIndex(days)})
    for name, code in KEYS:
        table[name] = table["date"].isin(dates[code]).astype("int64")
    data = data.merge(table, on="date", how="left", sort=False)
    names = [name for name, _ in KEYS]
    data[names] = data[names].fillna(0).astype(np.int64)
    return data


def build_take(data, dates):
    """The 25 columns by a positional join: a day x holiday table of 0/1
    over the frame's days, taken row by row at each row's day."""
    day = data["date"].to_numpy().astype("datetime64[D]").astype(np.int64)
    first = day.min()
    table = np.zeros((day.max() - first + 1, len(KEYS)), dtype=np.int64)
    for column, (_, code) in enumerate(KEYS):
        marks = dates[code].to_numpy().astype("datetime64[D]").astype(np.int64) - first
        table[marks[(marks >= 0) & (marks < len(table))], column] = 1
    names = [name for name, _ in KEYS]
    return pd.concat([data, pd.DataFrame(table[day - first], columns=names, index=data.index)], axis=1)


def main():
    directory, target = sys.argv[1], sys.argv[2]
    write = "--no-write" not in sys.argv
    build = build_merge if "--merge" in sys.argv else build_isin if "--isin" in sys.argv else build_take
    t0 = time.perf_counter()
    data = pd.read_csv(os.path.join(directory, "daily.csv"), parse_dates=["date"])
    t1 = time.perf_counter()
    years = range(data["date"].min().year, data["date"].max().year + 1)
    data = build(data, holiday_dates(years))
    t2 = time.perf_counter()
    if write:
        data.to_csv(target, index=False, date_format="%Y-%m-%d")
    t3 = time.perf_counter()
    print("pandas read=%.3f build=%.3f write=%.3f total=%.3f" % (t1 - t0, t2 - t1, t3 - t2, t3 - t0))


if __name__ == "__main__":
    main()
