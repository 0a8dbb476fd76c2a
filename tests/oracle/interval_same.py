#!/usr/bin/python3
"""Writes interval_same.csv: INTNX with same-position alignment ('S') on
month-based intervals, from python-dateutil's relativedelta, an
implementation independent of ours.

Stepping a date by n intervals of M months with alignment 'S' keeps the
day of month and the time of day, and clips the day to the last day of
the month reached: exactly x + relativedelta(months = M * n).  M is 1 for
MONTH, 3 for QTR, 6 for SEMIYEAR and 12 for YEAR, times the multiplier; a
shift moves the interval starts but not the same-position result.

Each row: interval name, x, n, expected; dates as day numbers (days since
1960-01-01), datetimes (names starting DT) as seconds since 1960-01-01
00:00.  Many x are month ends (28th to 31st), where clipping happens.

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/interval_same.py
"""
import csv
import datetime
import os
import random

from dateutil.relativedelta import relativedelta

DAY_ZERO = datetime.date(1960, 1, 1)
TIME_ZERO = datetime.datetime(1960, 1, 1)

# (name, months per step)
INTERVALS = [("MONTH", 1), ("MONTH.1", 1), ("QTR", 3), ("QTR.3", 3), ("QTR2", 6),
             ("SEMIYEAR", 6), ("SEMIYEAR.5", 6), ("YEAR", 12), ("YEAR.2", 12), ("YEAR.12", 12)]


def random_date(rng):
    year = rng.randint(1800, 2200)
    month = rng.randint(1, 12)
    if rng.random() < 0.5:
        day = rng.randint(28, 31)
        while True:
            try:
                return datetime.date(year, month, day)
            except ValueError:
                day -= 1
    return datetime.date(year, month, rng.randint(1, 28))


def main():
    rng = random.Random(3031)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "interval_same.csv")
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["interval", "x", "n", "expected"])
        for name, months in INTERVALS:
            for _ in range(150):
                x = random_date(rng)
                n = rng.randint(-30, 30)
                target = x + relativedelta(months=months * n)
                writer.writerow([name, (x - DAY_ZERO).days, n, (target - DAY_ZERO).days])
            for _ in range(60):
                x = datetime.datetime.combine(random_date(rng), datetime.time(
                    rng.randint(0, 23), rng.randint(0, 59), rng.randint(0, 59)))
                n = rng.randint(-30, 30)
                target = x + relativedelta(months=months * n)
                writer.writerow(["DT" + name, int((x - TIME_ZERO).total_seconds()), n,
                                 int((target - TIME_ZERO).total_seconds())])


if __name__ == "__main__":
    main()
