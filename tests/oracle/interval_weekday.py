#!/usr/bin/python3
"""Writes interval_weekday.csv: WEEKDAY interval starts and counts for four
sets of days off, from numpy's business-day functions (busday_offset,
busday_count), an implementation independent of ours.

Each row: interval name, x, n, start, y, count (day numbers count days
since 1960-01-01):
    start = INTNX(interval, x, n), beginning alignment;
    count = INTCK(interval, x, y).

Working-day index: the working days are numbered consecutively with
index(d) = number of working days in [day 1, d] (negative counts before
day 1), which numpy gives as busday_count(day 1, d + 1); a day off has the
index of the working day before it.  An interval of m working days with
written shift k starts on the working days whose index is congruent to
k - 1 modulo m:
    multiplier 1: start = busday_offset(x, n, roll='backward'),
                  count = busday_count(x + 1, y + 1);
    multiplier m: i = index(x), j = m * floor((i - s) / m) + s + m * n with
                  s = k - 1, start = the working day with index j
                  = busday_offset(day 1, j - 1, roll='forward'),
                  count = floor((index(y) - s) / m) - floor((i - s) / m).

Days-off digits of a WEEKDAY name: 1 = Sunday ... 7 = Saturday; numpy's
weekmask runs Monday to Sunday with 1 = working day.

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/interval_weekday.py
"""
import csv
import datetime
import os
import random

import numpy as np

DAY_ZERO = np.datetime64("1960-01-01", "D")
DAY_ONE = DAY_ZERO + 1

# (name prefix, days off as digits 1 = Sunday ... 7 = Saturday)
WEEKS = [("WEEKDAY", "17"), ("WEEKDAY67W", "67"), ("WEEKDAY1W", "1"), ("WEEKDAY246W", "246")]
SHAPES = [(1, 0), (3, 0), (3, 2), (5, 4), (2, 1)]  # (multiplier, written shift; 0 = none)


def weekmask(days_off):
    # Monday .. Sunday; digit 2 is Monday, digit 1 Sunday.
    order = ["2", "3", "4", "5", "6", "7", "1"]
    return "".join("0" if d in days_off else "1" for d in order)


def name_of(prefix, m, k):
    name = prefix + (str(m) if m > 1 else "")
    if k:
        name += "." + str(k)
    return name


def date_of(day):
    return DAY_ZERO + np.timedelta64(day, "D")


def index_of(day, mask):
    return int(np.busday_count(DAY_ONE, date_of(day) + 1, weekmask=mask))


def main():
    rng = random.Random(19600101)
    low = int((np.datetime64("1800-01-01") - DAY_ZERO).astype(int))
    high = int((np.datetime64("2200-12-31") - DAY_ZERO).astype(int))
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "interval_weekday.csv")
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["interval", "x", "n", "start", "y", "count"])
        for prefix, days_off in WEEKS:
            mask = weekmask(days_off)
            for m, k in SHAPES:
                s = k - 1 if k else 0
                for _ in range(120):
                    x = rng.randint(low, high)
                    # Half the y values near x, so that short counts occur.
                    y = rng.randint(low, high) if rng.random() < 0.5 else x + rng.randint(-20, 20)
                    n = rng.randint(-60, 60)
                    if m == 1:
                        start = np.busday_offset(date_of(x), n, roll="backward", weekmask=mask)
                        count = int(np.busday_count(date_of(x) + 1, date_of(y) + 1, weekmask=mask))
                    else:
                        i = index_of(x, mask)
                        j = m * ((i - s) // m) + s + m * n
                        start = np.busday_offset(DAY_ONE, j - 1, roll="forward", weekmask=mask)
                        count = (index_of(y, mask) - s) // m - (i - s) // m
                    start_day = int((start - DAY_ZERO).astype(int))
                    writer.writerow([name_of(prefix, m, k), x, n, start_day, y, count])


if __name__ == "__main__":
    main()
