#!/usr/bin/python3
"""Writes the data set and the expected values of the time-series read road
(tests/series/series_oracle_test.cpp), from pandas, an implementation
independent of ours.

series_daily.csv: the input data set, sorted by grp then date: daily
    observations of two BY groups (A and B) over different spans, with days
    left out (gaps), a few days observed twice, and missing values of x
    and y.  Columns: grp, date (YYYY-MM-DD), x, y.

series_accumulated.csv: each row interval, method, grp, var, slot, value:
    the series var of group grp accumulated into the slots of interval
    (MONTH, QTR, WEEK); slot is the day number (days since 1960-01-01) of the
    slot's first day, for every slot from the group's first to its last
    date; value is empty for a missing value and D for the special missing
    value .D.  Methods, on the non-missing values of each slot:
        NONE     the value when the slot has one, D when it has two or more
        TOTAL    sum with min_count=1      AVERAGE  mean
        FIRST, LAST, MINIMUM, MAXIMUM, MEDIAN
        STD      standard deviation, ddof=1 (missing below two values)
        USS      sum of squares (min_count=1)
        CSS      sum of squared deviations from the slot mean
        NOBS     observations, missing values included
        N        non-missing values        NMISS    missing values
    and, for the SETMISSING methods, the TOTAL series of x with its missing
    slots filled: SM_PREVIOUS (ffill), SM_NEXT (bfill), SM_MEAN, SM_MEDIAN,
    SM_FIRST, SM_LAST, SM_MINIMUM, SM_MAXIMUM (fillna with that statistic of
    the non-missing slots).

series_indices.csv: each row interval, grp, date, index: the time-slot
    index of every observation, the pandas Period ordinal of its date minus
    that of the group's first date, for MONTH ('M'), QTR.2 (quarters
    starting in February: 'Q-JAN'), YEAR.7 (years starting in July:
    'A-JUN') and WEEK (Sunday to Saturday: 'W-SAT').

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/series_accumulate.py
"""
import csv
import datetime
import math
import os
import random

import numpy as np
import pandas as pd

HERE = os.path.dirname(os.path.abspath(__file__))
DAY_ZERO = datetime.date(1960, 1, 1)

INTERVALS = [("MONTH", "M"), ("QTR", "Q-DEC"), ("WEEK", "W-SAT")]
INDEX_INTERVALS = [("MONTH", "M"), ("QTR.2", "Q-JAN"), ("YEAR.7", "A-JUN"), ("WEEK", "W-SAT")]


def day_of(date):
    return (date - DAY_ZERO).days


def make_data():
    rng = random.Random(20240611)
    rows = []
    spans = {"A": (datetime.date(2019, 11, 20), datetime.date(2021, 2, 10)),
             "B": (datetime.date(2020, 3, 3), datetime.date(2020, 9, 28))}
    for grp, (first, last) in spans.items():
        day = first
        while day <= last:
            if rng.random() < 0.12 and day not in (first, last):
                day += datetime.timedelta(days=1)
                continue
            repeats = 2 if rng.random() < 0.05 else 1
            for _ in range(repeats):
                x = round(rng.uniform(-50, 150), 3) if rng.random() > 0.1 else None
                # y sits far from 0, so sums of squares alone lose its spread.
                y = 1e7 + round(rng.uniform(0, 10), 2) if rng.random() > 0.2 else None
                rows.append((grp, day, x, y))
            day += datetime.timedelta(days=1)
    # A month with no value of x at all and one with no observation at all
    # (in group A): slots that stay missing and counts of 0.
    rows = [r for r in rows if not (r[0] == "A" and r[1].year == 2020 and r[1].month == 6)]
    rows = [(g, d, None if (g == "A" and d.year == 2020 and d.month == 8) else x, y) for g, d, x, y in rows]
    return rows


def cell(value):
    if value is None or (isinstance(value, float) and math.isnan(value)):
        return ""
    if value == "D":
        return "D"
    return repr(float(value))


def accumulate(values, method):
    present = [v for v in values if not math.isnan(v)]
    s = pd.Series(values, dtype="float64")
    if method == "NONE":
        return None if not present else (present[0] if len(present) == 1 else "D")
    if method == "TOTAL":
        return s.sum(min_count=1)
    if method == "AVERAGE":
        return s.mean()
    if method == "FIRST":
        return present[0] if present else None
    if method == "LAST":
        return present[-1] if present else None
    if method == "MINIMUM":
        return s.min()
    if method == "MAXIMUM":
        return s.max()
    if method == "MEDIAN":
        return s.median()
    if method == "STD":
        return s.std(ddof=1)
    if method == "USS":
        return (s * s).sum(min_count=1)
    if method == "CSS":
        return ((s - s.mean()) ** 2).sum(min_count=1) if present else None
    if method == "NOBS":
        return len(values)
    if method == "N":
        return int(s.count())
    if method == "NMISS":
        return len(values) - int(s.count())
    raise ValueError(method)


METHODS = ["NONE", "TOTAL", "AVERAGE", "FIRST", "LAST", "MINIMUM", "MAXIMUM", "MEDIAN",
           "STD", "USS", "CSS", "NOBS", "N", "NMISS"]


def fill(series, method):
    s = pd.Series(series, dtype="float64")
    if method == "SM_PREVIOUS":
        return s.ffill()
    if method == "SM_NEXT":
        return s.bfill()
    present = s.dropna()
    value = {"SM_MEAN": present.mean(), "SM_MEDIAN": present.median(),
             "SM_FIRST": present.iloc[0], "SM_LAST": present.iloc[-1],
             "SM_MINIMUM": present.min(), "SM_MAXIMUM": present.max()}[method]
    return s.fillna(value)


def main():
    rows = make_data()
    with open(os.path.join(HERE, "series_daily.csv"), "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["grp", "date", "x", "y"])
        for grp, day, x, y in rows:
            writer.writerow([grp, day.isoformat(), "" if x is None else repr(x),
                             "" if y is None else repr(y)])

    frame = pd.DataFrame(rows, columns=["grp", "date", "x", "y"])
    frame["x"] = frame["x"].astype("float64")
    frame["y"] = frame["y"].astype("float64")

    with open(os.path.join(HERE, "series_accumulated.csv"), "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["interval", "method", "grp", "var", "slot", "value"])
        for name, freq in INTERVALS:
            for grp, group in frame.groupby("grp", sort=True):
                periods = [pd.Period(d, freq) for d in group["date"]]
                ordinals = [p.ordinal for p in periods]
                first = min(ordinals)
                slots = range(first, max(ordinals) + 1)
                starts = {o: day_of(pd.Period(ordinal=o, freq=freq).start_time.date()) for o in slots}
                for var in ["x", "y"]:
                    by_slot = {o: [] for o in slots}
                    for o, v in zip(ordinals, group[var]):
                        by_slot[o].append(v)
                    for method in METHODS:
                        for o in slots:
                            writer.writerow([name, method, grp, var, starts[o],
                                             cell(accumulate(by_slot[o], method))])
                    if var == "x":
                        totals = [accumulate(by_slot[o], "TOTAL") for o in slots]
                        for method in ["SM_PREVIOUS", "SM_NEXT", "SM_MEAN", "SM_MEDIAN",
                                       "SM_FIRST", "SM_LAST", "SM_MINIMUM", "SM_MAXIMUM"]:
                            for o, v in zip(slots, fill(totals, method)):
                                writer.writerow([name, method, grp, var, starts[o], cell(v)])

    with open(os.path.join(HERE, "series_indices.csv"), "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["interval", "grp", "date", "index"])
        for name, freq in INDEX_INTERVALS:
            for grp, group in frame.groupby("grp", sort=True):
                ordinals = [pd.Period(d, freq).ordinal for d in group["date"]]
                base = min(ordinals)
                for d, o in zip(group["date"], ordinals):
                    writer.writerow([name, grp, day_of(d), o - base])


if __name__ == "__main__":
    main()
