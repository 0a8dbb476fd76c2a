#!/usr/bin/python3
"""Writes format_dates.csv: the texts that the host's date formats must
write for a sweep of dates and datetimes, made with Python's datetime and
strftime, which share no code with ours.  The same texts must read back
through the informats.

Columns: day (days since 1960-01-01), datetime (seconds since 1960-01-01
00:00:00: the day at a time of day that varies by row), then the texts of
DATE9., DATE11., WEEKDATX (its full form), WEEKV11., YYMMDD10., MONYY7.,
YYQC6., YEAR4. and DATETIME18.

The sweep: every 2003rd day from 1 January 1582 to 31 December 9999
(datetime's own range), and 28 December to 4 January around a set of year
ends, where ISO week-years and calendar years part.

Run with the system interpreter from any directory:
    /usr/bin/python3 tests/oracle/format_dates.py
"""
import csv
import datetime
import locale
import os

DAY_ZERO = datetime.date(1960, 1, 1)
FIRST = datetime.date(1582, 1, 1)
LAST = datetime.date(9999, 12, 31)
STEP = 2003
YEAR_ENDS = [1582, 1959, 1960, 1999, 2004, 2008, 2015, 2019, 2020, 2026, 2037, 2099, 2100, 9998]


def dates():
    found = set()
    span = (LAST - FIRST).days
    found.update(FIRST + datetime.timedelta(days=n) for n in range(0, span + 1, STEP))
    for year in YEAR_ENDS:
        start = datetime.date(year, 12, 28)
        found.update(start + datetime.timedelta(days=n) for n in range(8) if (LAST - start).days >= n)
    found.add(LAST)
    return sorted(found)


def main():
    locale.setlocale(locale.LC_TIME, "C")  # English month and weekday names
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "format_dates.csv")
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["day", "datetime", "DATE9", "DATE11", "WEEKDATX", "WEEKV11", "YYMMDD10",
                         "MONYY7", "YYQC6", "YEAR4", "DATETIME18"])
        for date in dates():
            day = (date - DAY_ZERO).days
            seconds_of_day = (day * 7919) % 86400
            moment = datetime.datetime.combine(date, datetime.time()) + datetime.timedelta(seconds=seconds_of_day)
            iso = date.isocalendar()
            writer.writerow([
                day,
                day * 86400 + seconds_of_day,
                date.strftime("%d%b%Y").upper(),
                date.strftime("%d-%b-%Y").upper(),
                f"{date:%A}, {date.day} {date:%B} {date.year}",
                f"{iso[0]:04d}-W{iso[1]:02d}-{iso[2]:02d}",
                date.isoformat(),
                date.strftime("%b%Y").upper(),
                f"{date.year}:{(date.month + 2) // 3}",
                f"{date.year:04d}",
                moment.strftime("%d%b%Y:%H:%M:%S").upper(),
            ])


if __name__ == "__main__":
    main()
