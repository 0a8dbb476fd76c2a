#!/usr/bin/python3
"""Writes interval_retail.csv: starts of retail years and quarters, from
pandas' 52-53-week fiscal-year offsets (FY5253, FY5253Quarter), an
implementation independent of ours.

A retail year is an ISO 8601 week-year: it ends on the Sunday nearest to
31 December, which is FY5253(weekday=6 (Sunday), startingMonth=12,
variation='nearest').  Its quarters are 13 weeks each, the 53rd week of a
long year going to the fourth: FY5253Quarter(..., qtr_with_extra_week=4).
The three retail calendars (4-4-5, 4-5-4, 5-4-4) share years and quarters;
they differ only in their months, which pandas does not model.

Each row: unit (YR or QTR), x, n, start; start = the first day of the
retail year (quarter) n after the one that holds x, that is the day after
the period end rolled back from x - 1 and moved by n periods.  Day numbers
count days since 1960-01-01; x runs over random days of 1800 to 2200.

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/interval_retail.py
"""
import csv
import datetime
import os
import random

import pandas as pd
from pandas.tseries.offsets import FY5253, FY5253Quarter, Day

DAY_ZERO = pd.Timestamp("1960-01-01")
UNITS = [
    ("YR", FY5253(weekday=6, startingMonth=12, variation="nearest")),
    ("QTR", FY5253Quarter(weekday=6, startingMonth=12, qtr_with_extra_week=4, variation="nearest")),
]


def main():
    rng = random.Random(445454544)
    low = (datetime.date(1800, 1, 1) - datetime.date(1960, 1, 1)).days
    high = (datetime.date(2200, 12, 31) - datetime.date(1960, 1, 1)).days
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "interval_retail.csv")
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["unit", "x", "n", "start"])
        for unit, offset in UNITS:
            for _ in range(400):
                x = rng.randint(low, high)
                # Days around year ends, where the ISO year differs from the
                # calendar year, in a quarter of the cases.
                if rng.random() < 0.25:
                    year = rng.randint(1801, 2199)
                    x = (datetime.date(year, 1, 1) - datetime.date(1960, 1, 1)).days + rng.randint(-7, 7)
                n = rng.randint(-20, 20)
                ts = DAY_ZERO + pd.Timedelta(days=x)
                end = offset.rollback(ts - Day(1))
                if n:
                    end = end + n * offset
                start = end + Day(1)
                writer.writerow([unit, x, n, (start - DAY_ZERO).days])


if __name__ == "__main__":
    main()
