#!/usr/bin/python3
"""Writes date_parts.csv and date_times.csv, the expected values of the
host's date services, computed with Python's datetime module, which shares
no code with ours.

date_parts.csv: day,year,month,mday,weekday for a sweep of the host's date
range, day numbers -138061 to 6589335 (1 January 1582 to 26 December
20000): every 149th day (a prime step, so the days fall on every weekday and
every day of the month), the two ends and their neighbours, and the days
around 28 February to 1 March of every hundredth year and of the leap years
near 1900, 2000 and 10000.  weekday counts 1 = Sunday to 7 = Saturday.

date_times.csv: datetime,timeofday for a sweep of datetimes (seconds since
1960-01-01 00:00:00) over the same days, with times of day that include
fractions of a second, midnight and the last second of a day.  Fractions
are multiples of 1/64 second, so that every value is exact in binary and
the test can compare for equality.

Day numbers are Unix days + 3653 and datetimes are Unix seconds +
315619200.  datetime.date stops at year 9999; days beyond it are mapped
into range by whole 400-year Gregorian cycles (146097 days, a whole number
of weeks), and the cycles are added back to the year.

Run with the system interpreter from any directory:
    /usr/bin/python3 tests/oracle/date_parts.py
"""
import csv
import datetime
import os

UNIX_TO_DAY = 3653
UNIX_TO_DATETIME = 315619200
FIRST_DAY = -138061
LAST_DAY = 6589335
STEP = 149
CYCLE_DAYS = 146097
CYCLE_YEARS = 400

UNIX_EPOCH = datetime.date(1970, 1, 1)
UNIX_EPOCH_TIME = datetime.datetime(1970, 1, 1)
LAST_PYTHON_DAY = (datetime.date(9999, 12, 31) - UNIX_EPOCH).days + UNIX_TO_DAY


def civil(day):
    """(date, year) of a host day number; the date's year is shifted back
    by whole 400-year cycles when the day lies beyond year 9999."""
    cycles = 0
    while day - cycles * CYCLE_DAYS > LAST_PYTHON_DAY:
        cycles += 1
    date = UNIX_EPOCH + datetime.timedelta(days=day - cycles * CYCLE_DAYS - UNIX_TO_DAY)
    return date, date.year + cycles * CYCLE_YEARS


def day_of(year, month, mday):
    """Host day number of a civil date, also beyond year 9999."""
    cycles = max(0, (year - 9999 + CYCLE_YEARS - 1) // CYCLE_YEARS)
    date = datetime.date(year - cycles * CYCLE_YEARS, month, mday)
    return (date - UNIX_EPOCH).days + UNIX_TO_DAY + cycles * CYCLE_DAYS


def sweep_days():
    days = set(range(FIRST_DAY, LAST_DAY + 1, STEP))
    days.update([FIRST_DAY, FIRST_DAY + 1, LAST_DAY - 1, LAST_DAY, -1, 0, 1])
    years = list(range(1600, 20001, 100)) + [1896, 1904, 1996, 2004, 2024, 9996, 10004]
    for year in years:
        start = day_of(year, 2, 27)
        days.update(range(start, start + 4))  # 27 Feb to 1 or 2 Mar
    return sorted(d for d in days if FIRST_DAY <= d <= LAST_DAY)


def write_parts(path):
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["day", "year", "month", "mday", "weekday"])
        for day in sweep_days():
            date, year = civil(day)
            weekday = date.isoweekday() % 7 + 1  # Monday 1 .. Sunday 7 -> Sunday 1 .. Saturday 7
            writer.writerow([day, year, date.month, date.day, weekday])


def write_times(path):
    # Times of day in microseconds: midnight, the last second, fractions.
    tick = 15625  # 1/64 second
    times = [0, 86399 * 10**6, 86400 * 10**6 - tick, 12 * 3600 * 10**6 + 250000, tick]
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["datetime", "timeofday"])
        for n, day in enumerate(range(FIRST_DAY, LAST_DAY + 1, 1999)):
            micro = times[n % len(times)] if n % 3 else (n * 7919 * 10**6 + n % 64 * tick) % (86400 * 10**6)
            date, year = civil(day)
            shift = (year - date.year) // CYCLE_YEARS * CYCLE_DAYS * 86400
            moment = datetime.datetime.combine(date, datetime.time()) + datetime.timedelta(microseconds=micro)
            delta = moment - UNIX_EPOCH_TIME
            seconds = delta.days * 86400 + delta.seconds + delta.microseconds / 10**6
            tod = moment.hour * 3600 + moment.minute * 60 + moment.second + moment.microsecond / 10**6
            writer.writerow([repr(seconds + UNIX_TO_DATETIME + shift), repr(tod)])


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_parts(os.path.join(here, "date_parts.csv"))
    write_times(os.path.join(here, "date_times.csv"))


if __name__ == "__main__":
    main()
