#!/usr/bin/python3
"""Writes interval_detect.csv: regular, gap-free series of dates or
datetimes built with pandas.date_range, each with the frequency that
pandas.infer_freq finds for it and the interval name that frequency means
here; series for which pandas finds no frequency are left out.

Each row: id, kind ('d' day numbers, 's' datetime seconds), the frequency
the series was built with, the frequency pandas inferred, the expected
interval name, and the values separated by blanks.  Day numbers count
days since 1960-01-01, datetime seconds count seconds since its midnight.

The name of an inferred frequency (the anchor comes from pandas, the
multiplier and the shift from the series' first value):
    D, nD    DAY (DTDAY for datetimes), DAYn.k with k - 1 = day mod n
    B        WEEKDAY (DTWEEKDAY)
    W-SUN .. W-SAT   WEEK, WEEK.2 .. WEEK.7 (the week's first day)
    MS, nMS  MONTH, MONTHn.k with k - 1 = month index mod n
    M        MONTH (the last days of months)
    QS-MMM   QTR.k with k - 1 = (month - 1) mod 3 (QS-OCT = QTR, QS-NOV = QTR.2)
    AS-MMM   YEAR.k with k = the month (AS-JAN = YEAR, AS-JUL = YEAR.7)
    nH, nT, nS   HOURn.k, MINUTEn.k, SECONDn.k with k - 1 = units mod n

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/interval_detect.py
"""
import csv
import os
import random
import re

import pandas as pd

ORIGIN = pd.Timestamp("1960-01-01")
MONTHS = ["JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"]
WEEKDAYS = ["SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"]

# (frequency, kind, periods): date frequencies as day numbers, the daily
# ones also as datetimes, and the clock frequencies as datetimes.
SERIES = [
    ("D", "d", 12), ("2D", "d", 12), ("3D", "d", 12), ("B", "d", 15),
    ("W-SUN", "d", 12), ("W-MON", "d", 12), ("W-WED", "d", 12), ("W-SAT", "d", 12),
    ("MS", "d", 12), ("2MS", "d", 12), ("M", "d", 12),
    ("QS-OCT", "d", 10), ("QS-NOV", "d", 10), ("QS-DEC", "d", 10),
    ("AS-JAN", "d", 6), ("AS-JUL", "d", 6), ("AS-APR", "d", 6),
    ("D", "s", 12), ("B", "s", 15), ("MS", "s", 12),
    ("H", "s", 30), ("2H", "s", 30), ("6H", "s", 20), ("T", "s", 30),
    ("15T", "s", 30), ("S", "s", 30), ("30S", "s", 30),
]


def day_number(stamp):
    return (stamp.normalize() - ORIGIN).days


def seconds(stamp):
    return int((stamp - ORIGIN).total_seconds())


def with_shift(name, n, index):
    s = index % n
    name = name + (str(n) if n > 1 else "")
    return name + ("." + str(s + 1) if s else "")


def expected_name(freq, kind, first):
    dt = "DT" if kind == "s" else ""
    m = re.fullmatch(r"(\d*)([A-Z]+)(?:-([A-Z]{3}))?", freq)
    n = int(m.group(1)) if m.group(1) else 1
    unit, anchor = m.group(2), m.group(3)
    if unit == "D":
        return with_shift(dt + "DAY", n, day_number(first))
    if unit == "B" and n == 1:
        return dt + "WEEKDAY"
    if unit == "W" and n == 1:
        k = WEEKDAYS.index(anchor) + 1
        return dt + "WEEK" + ("." + str(k) if k > 1 else "")
    if unit == "MS":
        return with_shift(dt + "MONTH", n, 12 * (first.year - 1960) + first.month - 1)
    if unit == "M" and n == 1:
        return dt + "MONTH"
    if unit == "QS" and n == 1:
        k = (MONTHS.index(anchor)) % 3 + 1
        return dt + "QTR" + ("." + str(k) if k > 1 else "")
    if unit == "AS" and n == 1:
        k = MONTHS.index(anchor) + 1
        return dt + "YEAR" + ("." + str(k) if k > 1 else "")
    if unit == "H":
        return with_shift("HOUR", n, seconds(first) // 3600)
    if unit == "T":
        return with_shift("MINUTE", n, seconds(first) // 60)
    if unit == "S":
        return with_shift("SECOND", n, seconds(first))
    return None


def random_start(rng, kind, freq):
    # Dates from 1800 to 2150: earlier or later day numbers pass 86400 in
    # magnitude and count as datetimes; 1960 to 1962 are left out, where
    # day numbers below 1000 count as observation numbers.
    while True:
        year = rng.randint(1800, 2150)
        if not 1960 <= year <= 1962:
            break
    stamp = pd.Timestamp(year=year, month=rng.randint(1, 12), day=rng.randint(1, 28))
    if kind == "s" and freq[-1] in "HTS":
        stamp += pd.Timedelta(seconds=rng.randint(0, 86399))
        if freq.endswith("H"):
            stamp = stamp.floor("H")
        elif freq.endswith("T"):
            stamp = stamp.floor("T")
    return stamp


def main():
    rng = random.Random(20240607)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "interval_detect.csv")
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["id", "kind", "built", "inferred", "expected", "values"])
        row = 0
        for freq, kind, periods in SERIES:
            for _ in range(4):
                stamps = pd.date_range(random_start(rng, kind, freq), periods=periods, freq=freq)
                inferred = pd.infer_freq(stamps)
                if inferred is None:
                    continue
                name = expected_name(inferred, kind, stamps[0])
                if name is None:
                    continue
                values = [day_number(s) if kind == "d" else seconds(s) for s in stamps]
                row += 1
                writer.writerow([row, kind, freq, inferred, name, " ".join(str(v) for v in values)])


if __name__ == "__main__":
    main()
