#!/usr/bin/python3
"""Writes the expected regression matrices of the predefined groups MONTHS
and DAYS (tests/event/regression_matrix_test.cpp), from pandas
get_dummies, an implementation independent of ours.

event_group_matrix.csv: rows case, date, column, value:
    months  24 monthly time IDs from July 2019 (first of the month);
            get_dummies of the month numbers, columns JANUARY to DECEMBER
            (column 0 to 11)
    days    20 daily time IDs from 25 February 2021; get_dummies of the
            weekday, columns SUNDAY to SATURDAY (column 0 to 6)
    date is YYYY-MM-DD; value is 0 or 1.

Run with the system interpreter:
    /usr/bin/python3 tests/oracle/event_group_matrix.py
"""
import csv
import os

import pandas as pd

HERE = os.path.dirname(os.path.abspath(__file__))


def rows(case, dates, labels, categories):
    dummies = pd.get_dummies(pd.Categorical(labels, categories=categories)).astype(int)
    out = []
    for i, date in enumerate(dates):
        for column, category in enumerate(categories):
            out.append([case, date.strftime("%Y-%m-%d"), column, int(dummies.iloc[i][category])])
    return out


def main():
    months = pd.date_range("2019-07-01", periods=24, freq="MS")
    days = pd.date_range("2021-02-25", periods=20, freq="D")
    # pandas numbers weekdays Monday 0 to Sunday 6; the group starts on Sunday.
    sunday_first = [(d.dayofweek + 1) % 7 for d in days]
    table = rows("months", months, list(months.month), list(range(1, 13)))
    table += rows("days", days, sunday_first, list(range(7)))
    with open(os.path.join(HERE, "event_group_matrix.csv"), "w", newline="") as f:
        w = csv.writer(f, lineterminator="\n")
        w.writerow(["case", "date", "column", "value"])
        w.writerows(table)


if __name__ == "__main__":
    main()
