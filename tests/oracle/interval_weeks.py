#!/usr/bin/python3
"""Writes interval_weeks.csv: week numbers of dates from Python's own
calendar code, an implementation independent of ours:
    iso_year, iso_week, iso_day  date.isocalendar() (ISO 8601; Monday = 1),
                                 checked back through date.fromisocalendar();
    week_u                       strftime('%U'): weeks from the year's first
                                 Sunday, 0 before it;
    week_w                       strftime('%W'): the same from Monday;
    yday                         days since 1 January (timetuple().tm_yday - 1).

Each row: day (days since 1960-01-01), iso_year, iso_week, iso_day, week_u,
week_w, yday.  Dates: random days from 1 January 1582 to 31 December 9999
(the last year Python's date holds), plus the first and last week of a
number of years, where the schemes differ most.

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/interval_weeks.py
"""
import csv
import datetime
import os
import random

DAY_ZERO = datetime.date(1960, 1, 1)


def main():
    rng = random.Random(8601)
    low = (datetime.date(1582, 1, 1) - DAY_ZERO).days
    high = (datetime.date(9999, 12, 31) - DAY_ZERO).days
    days = [rng.randint(low, high) for _ in range(4000)]
    for _ in range(300):
        year = rng.randint(1583, 9998)
        first = (datetime.date(year, 1, 1) - DAY_ZERO).days
        days += [first + rng.randint(-7, 7)]
    days += [low, high]
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "interval_weeks.csv")
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["day", "iso_year", "iso_week", "iso_day", "week_u", "week_w", "yday"])
        for day in days:
            date = DAY_ZERO + datetime.timedelta(days=day)
            iso = date.isocalendar()
            assert datetime.date.fromisocalendar(iso[0], iso[1], iso[2]) == date
            writer.writerow([day, iso[0], iso[1], iso[2], int(date.strftime("%U")),
                             int(date.strftime("%W")), date.timetuple().tm_yday - 1])


if __name__ == "__main__":
    main()
