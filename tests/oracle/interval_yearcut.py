#!/usr/bin/python3
"""Writes interval_yearcut.csv: the four-digit years that Python's
time.strptime gives for the two-digit years 0 to 99 ('%y': 69 to 99 are
1969 to 1999, 0 to 68 are 2000 to 2068, the POSIX rule), an
implementation independent of ours.  A year cut-off of 1969 must expand
two-digit years the same way.

Each row: two_digit, year.

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/interval_yearcut.py
"""
import csv
import os
import time


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "interval_yearcut.csv")
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["two_digit", "year"])
        for y in range(100):
            writer.writerow([y, time.strptime("%02d" % y, "%y").tm_year])


if __name__ == "__main__":
    main()
