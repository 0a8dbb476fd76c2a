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
                     the Monday of that week (date.fromisocalendar);
  event_season_keys.csv  season keys of the built-in intervals expanded over
                     one series each, rows as the SEASON rows of
                     custom_datekeys.csv (id, function, interval, series
                     interval, first time ID, count, season, the expected
                     dates): the start of every period of the interval that
                     overlaps the series' span and is season s of its cycle
                     (SEMIYEAR, SEMIMONTH, TENDAY from the calendar; HOUR,
                     MINUTE, SECOND from pandas date_range, datetimes in
                     seconds; retail months and quarters as weeks of the
                     ISO week-year, 4-4-5, 4-5-4 or 5-4-4, from
                     date.fromisocalendar); WEEKV season s: the Monday of
                     ISO week s of every year from the lower of the
                     calendar and ISO year of the span's first day to the
                     higher of those of its last day.

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


SECONDS_PER_DAY = 86400
EPOCH = pd.Timestamp("1960-01-01")


def seconds(ts):
    return int((ts - EPOCH).total_seconds())


def calendar_periods(kind, y):
    """(start, end, season) of the SEMIYEAR, SEMIMONTH or TENDAY periods of year y."""
    out = []
    if kind == "SEMIYEAR":
        out = [(datetime.date(y, 1, 1), datetime.date(y, 6, 30), 1), (datetime.date(y, 7, 1), datetime.date(y, 12, 31), 2)]
    for m in range(1, 13):
        nxt = datetime.date(y + (m == 12), m % 12 + 1, 1) - datetime.timedelta(days=1)
        if kind == "SEMIMONTH":
            out += [(datetime.date(y, m, 1), datetime.date(y, m, 15), 2 * m - 1), (datetime.date(y, m, 16), nxt, 2 * m)]
        elif kind == "TENDAY":
            out += [(datetime.date(y, m, 1), datetime.date(y, m, 10), 3 * m - 2),
                    (datetime.date(y, m, 11), datetime.date(y, m, 20), 3 * m - 1),
                    (datetime.date(y, m, 21), nxt, 3 * m)]
    return out


RETAIL_WEEKS = {"445": [4, 4, 5] * 4, "454": [4, 5, 4] * 4, "544": [5, 4, 4] * 4}


def retail_periods(scheme, quarters, y):
    """(start, end, season) of the retail months (quarters) of retail year y."""
    lengths = [13] * 4 if quarters else RETAIL_WEEKS[scheme]
    starts, week = [], 1
    for n in lengths:
        starts.append(datetime.date.fromisocalendar(y, week, 1))
        week += n
    starts.append(datetime.date.fromisocalendar(y + 1, 1, 1))
    return [(starts[i], starts[i + 1] - datetime.timedelta(days=1), i + 1) for i in range(len(lengths))]


def series_span(series, first, count):
    """First and last day of a DAY or MONTH series."""
    if series == "DAY":
        return first, first + datetime.timedelta(days=count - 1)
    last = pd.Timestamp(first) + pd.DateOffset(months=count - 1)
    return first, (last + pd.offsets.MonthEnd(0)).date()


def season_keys():
    rows = []
    date_cases = [
        ("SEMIYEAR", "MONTH", datetime.date(2019, 11, 1), 16, [1, 2]),
        ("SEMIMONTH", "DAY", datetime.date(2019, 12, 20), 400, [1, 2, 24]),
        ("TENDAY", "DAY", datetime.date(2019, 12, 25), 400, [1, 5, 36]),
    ] + [("R%sMON" % k, "DAY", datetime.date(2019, 12, 1), 800, [1, 2, 12]) for k in ("445", "454", "544")] + [
        ("R%sQTR" % k, "MONTH", datetime.date(2019, 11, 1), 20, [1, 4]) for k in ("445", "454", "544")]
    for interval, series, first, count, keys in date_cases:
        b, e = series_span(series, first, count)
        for key in keys:
            dates = []
            for y in range(b.year - 1, e.year + 2):
                if interval.startswith("R"):
                    periods = retail_periods(interval[1:4], interval.endswith("QTR"), y)
                else:
                    periods = calendar_periods(interval, y)
                dates += [days(p0) for p0, p1, season in periods if season == key and p0 <= e and p1 >= b]
            rows.append([interval, series, days(first), count, key, " ".join(str(d) for d in sorted(dates))])
    time_cases = [
        ("HOUR", "DTHOUR", pd.Timestamp("2020-03-07 20:00"), 30, "h", [1, 13, 24]),
        ("MINUTE", "DTMINUTE", pd.Timestamp("2020-03-07 10:58"), 130, "min", [1, 30, 60]),
        ("SECOND", "DTSECOND", pd.Timestamp("2020-03-07 23:59:58"), 125, "s", [1, 59, 60]),
    ]
    for interval, series, first, count, freq, keys in time_cases:
        stamps = pd.date_range(first, periods=count, freq=freq)
        for key in keys:
            part = {"h": stamps.hour, "min": stamps.minute, "s": stamps.second}[freq]
            dates = [seconds(t) for t, v in zip(stamps, part) if v == key - 1]
            rows.append([interval, series, seconds(first), count, key, " ".join(str(d) for d in dates)])
    # ISO weeks 2 to 52 over one daily series from 2019-12-25 to 2021-01-10:
    # the loop runs from 2019 to 2021.
    first, count = datetime.date(2019, 12, 25), 383
    b, e = series_span("DAY", first, count)
    lo = min(b.year, b.isocalendar()[0])
    hi = max(e.year, e.isocalendar()[0])
    for key in range(2, 53):
        dates = [days(datetime.date.fromisocalendar(y, key, 1)) for y in range(lo, hi + 1)]
        rows.append(["WEEKV", "DAY", days(first), count, key, " ".join(str(d) for d in dates)])
    return [["k%d" % (i + 1), "SEASON"] + row for i, row in enumerate(rows)]


write("event_mondays.csv", ["month_start", "mondays"], mondays())
write("event_weeks.csv", ["first_weekday", "day", "week", "year"], weeks())
write("event_weekv53.csv", ["year", "monday"], weekv53())
write("event_season_keys.csv", ["id", "function", "interval", "series", "first", "count", "key", "expected"],
      season_keys())
