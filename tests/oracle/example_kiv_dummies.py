#!/usr/bin/python3
"""Writes example_kiv_dummies.csv: the event dummy data set that the
KIVEVENTS step of examples/monthly_events.job must write, built with
pandas, python3-dateutil and python3-holidays (through the helpers of
example_dummies.py), independently of our code.

The KIVEVENTS step has the VORNAK step's events, but its occurrences in one
month add up (the rule ADD) where VORNAK's count a month once:
  holidays    = CHRISTMAS THANKSGIVING EASTER   (how many fall in the month)
  refit       = level shift from July 2020      (1 from that month on)
  sales_weeks = the starts of the weeks (Sundays) after 1 November 2019 up
                to 29 November 2019: 3, 10, 17 and 24 November, 4 in that
                month.  The range's first value, a Friday, is off the week
                grid of the others and is not an occurrence.
It has no sum column.

Run with the system interpreter from this directory or any other:
    /usr/bin/python3 tests/oracle/example_kiv_dummies.py
"""
import datetime
import os
import sys

import holidays
import pandas as pd
from dateutil.easter import easter

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import example_dummies  # noqa: E402


def holiday_counts(years):
    """First days of months -> how many of Christmas, US Thanksgiving and
    Easter fall in them."""
    counts = {}
    for year in years:
        us = holidays.US(years=year)
        thanksgiving = [d for d, name in us.items() if name.startswith("Thanksgiving")]
        for day in [datetime.date(year, 12, 25), easter(year)] + thanksgiving:
            month = pd.Timestamp(day.year, day.month, 1)
            counts[month] = counts.get(month, 0) + 1
    return counts


def build():
    """The VORNAK step's dummy frame (the same stores, months and sales)
    with the event columns counted and without the sum column."""
    frame = example_dummies.build()[0].drop(columns=["all_events"])
    counts = holiday_counts(range(frame["date"].min().year, frame["date"].max().year + 1))
    weeks = pd.date_range("2019-11-02", "2019-11-29", freq="W-SUN")
    frame["holidays"] = frame["date"].map(lambda m: counts.get(m, 0))
    frame["sales_weeks"] = frame["date"].map(
        lambda m: sum(1 for w in weeks if (w.year, w.month) == (m.year, m.month)))
    return frame


def main():
    example_dummies.as_text(build()).to_csv(os.path.join(HERE, "example_kiv_dummies.csv"), index=False)


if __name__ == "__main__":
    main()
