#!/usr/bin/python3
"""Writes the expected values of the date-key expansion tests
(tests/event/datekey_dates_test.cpp), from pandas and Python's datetime,
implementations independent of ours:

  event_mondays.csv  month start (days since 1960-01-01) and the number of
                     Mondays in that month, January 2020 to December 2021
                     (pandas date_range with freq W-MON, counted by month);
  event_weeks.csv    first weekday a (1 = Sunday ... 7 = Saturday), day,
                     week and week-year of the week numbering whose week 1
                     begins on the year's first day of weekday a, days
                     before it belonging to the previous year's last week
                     (week 53 kept); days around each new year 2015 to 2027
                     and the first of every month;
  event_weekv53.csv  ISO week-years 1995 to 2035 that have a week 53, and
                     the Monday of that week (date.fromisocalendar).

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/event_datekeys.py
"""
import csv
import datetime
import os

import pandas as pd

DAY_ZERO = datetime.date(1960, 1, 1)
HERE = os.path.dirname(os.path.abspath(__file__))


def days(d):
    return (d - DAY_ZERO).days


def write(name, header, rows):
    with open(os.path.join(HERE, name), "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(header)
        out.writerows(rows)


def mondays():
    stamps = pd.date_range("2020-01-01", "2021-12-31", freq="W-MON")
    counts = stamps.to_series().groupby([stamps.year, stamps.month]).count()
    return [(days(datetime.date(y, m, 1)), int(n)) for (y, m), n in counts.items()]


def first_of_weekday(year, a):
    """First day of weekday a (1 = Sunday) in year."""
    python_weekday = (a + 5) % 7  # Monday = 0
    d = datetime.date(year, 1, 1)
    return d + datetime.timedelta(days=(python_weekday - d.weekday()) % 7)


def weeks():
    dates = set()
    for y in range(2015, 2028):
        for k in range(-12, 12):
            dates.add(datetime.date(y, 1, 1) + datetime.timedelta(days=k))
        for m in range(1, 13):
            dates.add(datetime.date(y, m, 1))
    rows = []
    for a in range(1, 8):
        for d in sorted(dates):
            year = d.year if d >= first_of_weekday(d.year, a) else d.year - 1
            week = (d - first_of_weekday(year, a)).days // 7 + 1
            rows.append((a, days(d), week, year))
    return rows


def weekv53():
    rows = []
    for y in range(1995, 2036):
        if datetime.date(y, 12, 28).isocalendar()[1] == 53:
            rows.append((y, days(datetime.date.fromisocalendar(y, 53, 1))))
    return rows


write("event_mondays.csv", ["month_start", "mondays"], mondays())
write("event_weeks.csv", ["first_weekday", "day", "week", "year"], weeks())
write("event_weekv53.csv", ["year", "monday"], weekv53())
