#!/usr/bin/python3
"""Writes example_dummies.csv and example_periods.csv: the event dummy and
date-key periods data sets that examples/monthly_events.job must write,
built with pandas, python3-dateutil and python3-holidays, independently of
our code.  With --check DIR it instead reads DIR/dummies.csv and
DIR/periods.csv (as orvhost wrote them) with pandas and checks them
against the frames built here.

The example: monthly sales BY store, LEAD=12; the events
  holidays    = CHRISTMAS THANKSGIVING EASTER  (a month is 1 when it holds one)
  refit       = level shift from July 2020     (1 from that month on)
  sales_weeks = 1, 8, 15, 22, 29 November 2019 (1 in November 2019)
combined as indicators (the VORNAK step's events merge by OR), and
all_events, their sum.  A periods row stands for each event and month
whose dummy is not 0, with the first day of the month.

Run with the system interpreter from this directory or any other:
    /usr/bin/python3 tests/oracle/example_dummies.py [--check DIR]
"""
import datetime
import os
import sys

import holidays
import pandas as pd
from dateutil.easter import easter

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
LEAD = 12
EVENTS = ["holidays", "refit", "sales_weeks"]


def holiday_months(years):
    """Months (as first days) that hold Christmas, US Thanksgiving or Easter."""
    months = set()
    for year in years:
        us = holidays.US(years=year)
        thanksgiving = [d for d, name in us.items() if name.startswith("Thanksgiving")]
        for day in [datetime.date(year, 12, 25), easter(year)] + thanksgiving:
            months.add(pd.Timestamp(day.year, day.month, 1))
    return months


def build():
    sales = pd.read_csv(os.path.join(ROOT, "examples", "data", "stores.csv"), parse_dates=["date"])
    frames = []
    for store, group in sales.groupby("store", sort=False):
        months = pd.date_range(group["date"].min(), periods=len(
            pd.date_range(group["date"].min(), group["date"].max(), freq="MS")) + LEAD, freq="MS")
        frame = pd.DataFrame({"store": store, "date": months})
        frame = frame.merge(group[["date", "sales"]].drop_duplicates("date"), on="date", how="left")
        marked = holiday_months(range(months[0].year, months[-1].year + 1))
        frame["holidays"] = frame["date"].isin(marked).astype(int)
        frame["refit"] = (frame["date"] >= pd.Timestamp(2020, 7, 1)).astype(int)
        frame["sales_weeks"] = (frame["date"] == pd.Timestamp(2019, 11, 1)).astype(int)
        frame["all_events"] = frame[EVENTS].sum(axis=1)
        frames.append(frame)
    dummies = pd.concat(frames, ignore_index=True)
    rows = []
    for store, group in dummies.groupby("store", sort=False):
        for event in EVENTS:
            for date in group.loc[group[event] != 0, "date"]:
                rows.append({"store": store, "_LOCALE_": ".", "date": date, "_NAME_": event,
                             "_STARTDATE_": date.replace(day=1)})
    periods = pd.DataFrame(rows, columns=["store", "_LOCALE_", "date", "_NAME_", "_STARTDATE_"])
    return dummies, periods


def as_text(frame):
    """The frame as orvhost writes it: ISO dates, whole numbers without a
    fraction, missing values as empty fields."""
    out = frame.copy()
    for column in out.columns:
        if pd.api.types.is_datetime64_any_dtype(out[column]):
            out[column] = out[column].dt.strftime("%Y-%m-%d")
        elif pd.api.types.is_numeric_dtype(out[column]):
            out[column] = out[column].map(lambda v: "" if pd.isna(v) else "%d" % v if float(v).is_integer() else repr(v))
    return out


def check(directory):
    dummies, periods = build()
    for name, expected in (("dummies", dummies), ("periods", periods)):
        written = pd.read_csv(os.path.join(directory, name + ".csv"), parse_dates=["date", "_STARTDATE_"]
                              if name == "periods" else ["date"], keep_default_na=False, na_values=[""])
        pd.testing.assert_frame_equal(written.reset_index(drop=True), expected.reset_index(drop=True),
                                      check_dtype=False)
        print(name, "matches:", len(written), "rows")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        check(sys.argv[2])
        return
    dummies, periods = build()
    as_text(dummies).to_csv(os.path.join(HERE, "example_dummies.csv"), index=False)
    as_text(periods).to_csv(os.path.join(HERE, "example_periods.csv"), index=False)


if __name__ == "__main__":
    main()
