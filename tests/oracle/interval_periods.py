#!/usr/bin/python3
"""Writes interval_periods.csv: interval starts and counts of MONTH, QTR.k,
YEAR.k, WEEK.k and WEEKV.k intervals, from pandas Period arithmetic (an
implementation independent of ours).

Each row: interval name, x, n, start, y, count, where (day numbers count
days since 1960-01-01)
    start = first day of the period n periods after the one that holds x
            (INTNX with beginning alignment),
    count = ordinal of y's period - ordinal of x's period (INTCK).

The pandas frequency of each interval:
    MONTH -> 'M';
    QTR.k (quarters starting in month k) -> 'Q-<month k-1>' (quarters that
        end in the month before), QTR.1 -> 'Q-DEC';
    YEAR.k -> 'A-<month k-1>', YEAR.1 -> 'A-DEC';
    WEEK.k (weeks starting on weekday k, 1 = Sunday) -> 'W-<day before>';
    WEEKV.k (weeks starting on ISO weekday k, 1 = Monday) -> 'W-<day before>'.

Dates: random days from 1800 to 2200, plus random days of 1582-1583 and
9998-9999 (the ends pandas can represent; the last valid day, in 20000,
is tested by hand).  Period ordinals are converted to days without
Timestamps, so dates outside 1677-2262 work.

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/interval_periods.py
"""
import csv
import datetime
import os
import random

import pandas as pd

DAY_ZERO = datetime.date(1960, 1, 1)
UNIX_TO_DAY = 3653  # 1970-01-01 is day 3653
MONTHS = ["JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"]
WEEKDAYS = ["SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"]


def intervals():
    yield "MONTH", "M"
    for k in range(1, 4):
        yield "QTR.%d" % k, "Q-" + MONTHS[(k - 2) % 12]
    for k in range(1, 13):
        yield "YEAR.%d" % k, "A-" + MONTHS[(k - 2) % 12]
    for k in range(1, 8):
        # WEEK.k starts on weekday k (1 = Sunday) and ends the day before.
        yield "WEEK.%d" % k, "W-" + WEEKDAYS[(k - 2) % 7]
    for k in range(1, 8):
        # WEEKV.k starts on ISO weekday k (1 = Monday).
        yield "WEEKV.%d" % k, "W-" + WEEKDAYS[(k - 1) % 7]


def day_of(date):
    return (date - DAY_ZERO).days


def period_of(day, freq):
    date = DAY_ZERO + datetime.timedelta(days=day)
    return pd.Period(year=date.year, month=date.month, day=date.day, freq=freq)


def start_day(period):
    return period.asfreq("D", how="S").ordinal + UNIX_TO_DAY


def random_days(rng, count):
    low, high = day_of(datetime.date(1800, 1, 1)), day_of(datetime.date(2200, 12, 31))
    days = [rng.randint(low, high) for _ in range(count)]
    ends = [(datetime.date(1582, 3, 1), datetime.date(1583, 12, 31)),
            (datetime.date(9998, 1, 1), datetime.date(9999, 10, 31))]
    for first, last in ends:
        days += [rng.randint(day_of(first), day_of(last)) for _ in range(count // 20)]
    return days


def main():
    rng = random.Random(20240605)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "interval_periods.csv")
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["interval", "x", "n", "start", "y", "count"])
        for name, freq in intervals():
            for x in random_days(rng, 140):
                n = rng.randint(-40, 40)
                near_end = x > day_of(datetime.date(9000, 1, 1)) or x < day_of(datetime.date(1600, 1, 1))
                if near_end:
                    # Keep n and y at the same end, inside what pandas holds.
                    n = rng.randint(0, 10) if x < 0 else rng.randint(-10, 0)
                    y = x + rng.randint(-300, 50) if x > 0 else x + rng.randint(0, 300)
                else:
                    y = rng.randint(day_of(datetime.date(1800, 1, 1)), day_of(datetime.date(2200, 12, 31)))
                p = period_of(x, freq)
                start = start_day(p + n)
                count = period_of(y, freq).ordinal - p.ordinal
                writer.writerow([name, x, n, start, y, count])


if __name__ == "__main__":
    main()
