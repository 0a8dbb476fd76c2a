#!/usr/bin/python3
"""Writes holidays_dates.csv: the dates of the 25 holiday date keys (codes
20 to 44) for the years 1990 to 2099, from python3-holidays (version 0.10.1)
and python3-dateutil, implementations independent of ours.

Each row: code, year, day (days since 1960-01-01).

Sources, by code:
  holidays.US:  21 THANKSGIVING "Thanksgiving", 24 CHRISTMAS "Christmas
                Day", 27 USINDEPENDENCE "Independence Day", 28 LABOR
                "Labor Day", 29 MEMORIAL "Memorial Day", 31 NEWYEAR "New
                Year's Day", 36 MLK "Martin Luther King, Jr. Day", 37
                USPRESIDENTS "Washington's Birthday", 38 VETERANS "Veterans
                Day", 41 COLUMBUS "Columbus Day" - the holiday itself, not
                its "(Observed)" entry;
                39 VETERANSUSG: "Veterans Day (Observed)" when the package
                has one (Saturday to Friday, Sunday to Monday), else
                "Veterans Day".
  holidays.CA without observance: 22 BOXING "Boxing Day", 23 CANADA
                "Canada Day", 32 THANKSGIVINGCANADA "Thanksgiving", 34
                VICTORIA "Victoria Day" (with observance on, the package
                replaces a weekend Boxing Day by its observed Monday);
  holidays.CA with observance: 35 CANADAOBSERVED "Canada Day (Observed)"
                when 1 July is a Sunday, else "Canada Day".
  dateutil:     20 EASTER dateutil.easter (western); 25 FATHERS and 30
                MOTHERS relativedelta(month, day=1, weekday=SU(+3) / SU(+2));
                26 HALLOWEEN, 33 VALENTINES, 42 JUNETEENTH rrule on the fixed
                day; 40 VETERANSUSPS, 43 JUNETEENTHUSG, 44 JUNETEENTHUSPS the
                fixed day moved by its weekday (weekday() from dateutil's
                relativedelta weekdays): Sunday to Monday, and for USG also
                Saturday to Friday.

Exclusions (rows not written), where the packages follow other rules:
  - 35 CANADAOBSERVED in years whose 1 July is a Saturday: holidays.CA
    observes Canada Day on the following Monday then; the date key moves
    only a Sunday.  (The years are still covered by 23 CANADA.)
  - Juneteenth (42 to 44) is not in holidays 0.10.1 at all (it became a US
    federal holiday in 2021); dateutil gives the fixed dates instead.
  - No historical rules apply within 1990 to 2099 to the holidays taken
    from the packages (MLK Day from 1986, Monday holidays from 1971,
    Victoria Day's rule from 1953), so nothing else is excluded.

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/holidays_dates.py
"""
import csv
import datetime
import os

import holidays
from dateutil.easter import EASTER_WESTERN, easter
from dateutil.relativedelta import SA, SU, relativedelta
from dateutil.rrule import YEARLY, rrule

DAY_ZERO = datetime.date(1960, 1, 1)
YEARS = range(1990, 2100)

US_NAMES = {21: "Thanksgiving", 24: "Christmas Day", 27: "Independence Day", 28: "Labor Day",
            29: "Memorial Day", 31: "New Year's Day", 36: "Martin Luther King, Jr. Day",
            37: "Washington's Birthday", 38: "Veterans Day", 41: "Columbus Day"}
CA_NAMES = {22: "Boxing Day", 23: "Canada Day", 32: "Thanksgiving", 34: "Victoria Day"}


def find(calendar, year, name):
    found = [d for d, n in calendar.items() if d.year == year and n == name]
    assert len(found) <= 1, (year, name, found)
    return found[0] if found else None


def fixed(year, month, day):
    return rrule(YEARLY, bymonth=month, bymonthday=day, dtstart=datetime.datetime(year, 1, 1),
                 count=1)[0].date()


def moved(date, saturday_back):
    if date + relativedelta(weekday=SU(0)) == date:  # a Sunday
        return date + datetime.timedelta(days=1)
    if saturday_back and date + relativedelta(weekday=SA(0)) == date:
        return date - datetime.timedelta(days=1)
    return date


def dates_of(year, us, ca, ca_observed):
    out = {}
    for code, name in US_NAMES.items():
        out[code] = find(us, year, name)
    for code, name in CA_NAMES.items():
        out[code] = find(ca, year, name)
    out[39] = find(us, year, "Veterans Day (Observed)") or out[38]
    july1 = datetime.date(year, 7, 1)
    if july1.weekday() == 6:
        out[35] = find(ca_observed, year, "Canada Day (Observed)")
    elif july1.weekday() != 5:
        out[35] = find(ca_observed, year, "Canada Day")
    out[20] = easter(year, EASTER_WESTERN)
    out[25] = datetime.date(year, 6, 1) + relativedelta(weekday=SU(+3))
    out[30] = datetime.date(year, 5, 1) + relativedelta(weekday=SU(+2))
    out[26] = fixed(year, 10, 31)
    out[33] = fixed(year, 2, 14)
    out[42] = fixed(year, 6, 19)
    out[40] = moved(fixed(year, 11, 11), False)
    out[43] = moved(out[42], True)
    out[44] = moved(out[42], False)
    return out


def main():
    us = holidays.US(years=YEARS, observed=True)
    # With observance on, holidays.CA replaces a weekend Boxing Day by its
    # observed Monday: the days themselves come from a calendar without it.
    ca = holidays.CA(years=YEARS, observed=False)
    ca_observed = holidays.CA(years=YEARS, observed=True)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "holidays_dates.csv")
    with open(path, "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["code", "year", "day"])
        for year in YEARS:
            dates = dates_of(year, us, ca, ca_observed)
            for code in sorted(dates):
                if dates[code] is not None:
                    writer.writerow([code, year, (dates[code] - DAY_ZERO).days])


if __name__ == "__main__":
    main()
