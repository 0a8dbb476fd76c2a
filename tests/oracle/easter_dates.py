#!/usr/bin/python3
"""Writes easter_dates.csv: Easter Sunday (western, Gregorian computus) of
every year 1583 to 9999 as a day number (days since 1960-01-01), computed by
python3-dateutil, an implementation independent of ours.

Run with the system interpreter from this directory or any other:
    /usr/bin/python3 tests/oracle/easter_dates.py
"""
import csv
import datetime
import os

from dateutil.easter import EASTER_WESTERN, easter

DAY_ZERO = datetime.date(1960, 1, 1)


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "easter_dates.csv")
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["year", "day"])
        for year in range(1583, 10000):
            writer.writerow([year, (easter(year, EASTER_WESTERN) - DAY_ZERO).days])


if __name__ == "__main__":
    main()
