#!/usr/bin/python3
"""Writes the data sets and the expected values of the auxiliary-data-set
reader and of the fit and summary statistics
(tests/series/series_aux_test.cpp, tests/series/series_fit_test.cpp), from
pandas, numpy, scikit-learn and R's forecast package, implementations
independent of ours.

series_aux_data.csv: the data sets, each row member, g, date, v: member
    PRIM (the primary: BY group A over January to December 2020, B over
    January to June 2021), INNER (A from March to November 2020; no B),
    OUTER (A from November 2019 to February 2021, B from December 2020 to
    August 2021), LATE (A from January to March 2021, after the primary).
    date is YYYY-MM-DD, monthly on the first day.

series_aux_expected.csv: rows case, g, date, value: the auxiliary series
    on the primary's months, pandas reindex of the auxiliary on the
    primary's dates (value empty for a missing value): inner and outer
    (INNER and OUTER read beside PRIM; INNER lacks group B), late (LATE
    beside PRIM with END = 2020-12-01: its observations all lie after END,
    so the group is empty), inner_filled and inner_zero_left (INNER with
    SETMISSING=-1, and with SETMISSING=0 and ZEROMISS=LEFT: pandas fillna,
    then the leading zeros made missing).

series_fit_inputs.csv: rows case, k, previous, pos, actual, predicted
    (empty = missing).

series_fit_expected.csv: rows case, value, expected: value is the number
    of the fit record's value (series/series_fit.h).  On the paired values
    (actual and predicted present): MSE (9), MAE (14) and RSQUARE (15) from
    sklearn mean_squared_error, mean_absolute_error, r2_score; ME (26), RMSE
    (10), MPE (27) and MAPE (13) from R forecast::accuracy(predicted,
    actual) (pairs whose actual is 0 are left out of the percentage errors,
    as forecast would make them infinite); SSE, UMSE, ADJ_RSQ, A_ADJ_RSQ,
    RW_RSQ, AIC, SBC, APC, the error extremes and the counts from numpy by
    the textbook formulas.  RW_RSQ = 1 - MSE / V with V the population
    variance of the one-step differences of the actual values over the
    range left when positions without a prediction are cut from both ends
    (the first difference reaches back to the value before that range, or
    to `previous` when nothing was cut).  Statistics that cannot be had are
    written empty.

series_summary.csv: rows case, values (';'-separated, empty = missing),
    count, present, missing, shortest run, longest run of missing values,
    minimum, maximum, mean, standard deviation, sum: numpy nanmin, nanmax,
    nanmean, nanstd (ddof=1), nansum, runs counted in Python.

Run with the system interpreter (needs Rscript with the forecast package):
    /usr/bin/python3 tests/oracle/series_aux_fit.py
"""
import csv
import math
import os
import subprocess

import numpy as np
import pandas as pd
from sklearn.metrics import mean_absolute_error, mean_squared_error, r2_score

HERE = os.path.dirname(os.path.abspath(__file__))
NAN = float("nan")


def cell(x):
    if x is None or (isinstance(x, float) and math.isnan(x)):
        return ""
    return repr(float(x))


def months(start, end):
    return list(pd.date_range(start, end, freq="MS"))


def aux_data():
    sets = {
        "PRIM": {"A": months("2020-01-01", "2020-12-01"), "B": months("2021-01-01", "2021-06-01")},
        "INNER": {"A": months("2020-03-01", "2020-11-01")},
        "OUTER": {"A": months("2019-11-01", "2021-02-01"), "B": months("2020-12-01", "2021-08-01")},
        "LATE": {"A": months("2021-01-01", "2021-03-01")},
    }
    rows = []
    frames = {}
    for member, groups in sets.items():
        base = {"PRIM": 0, "INNER": 100, "OUTER": 200, "LATE": 300}[member]
        for g, dates in groups.items():
            values = [base + (10 if g == "B" else 0) + 0.5 * i for i in range(len(dates))]
            frames[(member, g)] = pd.Series(values, index=pd.DatetimeIndex(dates))
            for d, v in zip(dates, values):
                rows.append([member, g, d.strftime("%Y-%m-%d"), repr(v)])
    return rows, frames


def aux_expected(frames):
    rows = []
    for case, member in (("inner", "INNER"), ("outer", "OUTER")):
        for g in ("A", "B"):
            axis = frames[("PRIM", g)].index
            series = frames.get((member, g), pd.Series([], dtype=float))
            aligned = series.reindex(axis)
            for d, v in aligned.items():
                rows.append([case, g, d.strftime("%Y-%m-%d"), cell(v)])
    # INNER with the missing-value settings of the accumulation applied to
    # the placed series: SETMISSING=-1; SETMISSING=0 with the leading zeros
    # turned missing again (ZEROMISS=LEFT; nothing when no value is non-zero).
    for case, fill, zeros_left in (("inner_filled", -1.0, False), ("inner_zero_left", 0.0, True)):
        for g in ("A", "B"):
            axis = frames[("PRIM", g)].index
            aligned = frames.get(("INNER", g), pd.Series([], dtype=float)).reindex(axis).fillna(fill)
            if zeros_left and (aligned != 0).any():
                leading = (aligned != 0).cumsum() == 0
                aligned[leading] = NAN
            for d, v in aligned.items():
                rows.append([case, g, d.strftime("%Y-%m-%d"), cell(v)])
    # LATE's group A lies wholly after END: an empty group on the primary's axis.
    axis = frames[("PRIM", "A")].index
    empty = frames[("LATE", "A")][frames[("LATE", "A")].index <= pd.Timestamp("2020-12-01")]
    for d, v in empty.reindex(axis).items():
        rows.append(["late", "A", d.strftime("%Y-%m-%d"), cell(v)])
    return rows


FIT_CASES = {
    # Missing actual values inside, predictions missing at both ends and
    # one inside (where the actual value is present).
    "inner_edge": dict(
        k=2, previous=9.0,
        actual=[10, 12, 11, NAN, 15, 14, 18, 17, NAN, 21, 20, 24],
        predicted=[NAN, NAN, 11.5, 13, 14, NAN, 16.5, 18, 19, 20, NAN, NAN]),
    # An actual value of 0 with a non-zero error.
    "zero_actual": dict(
        k=1, previous=NAN,
        actual=[5, 0, 4, 6, 3, 7],
        predicted=[4.5, 0.5, 4.2, 5.1, 3.3, 6.4]),
    # Large values: corrected sums must keep their digits.
    "large": dict(
        k=1, previous=NAN,
        actual=[1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 5, 1e9 + 4, 1e9 + 6],
        predicted=[1e9 + 1.5, 1e9 + 1.5, 1e9 + 3.5, 1e9 + 4.5, 1e9 + 4.5, 1e9 + 5.5]),
    # Every prediction above its actual value: the largest error and the
    # largest percentage error are negative; three actual values without a
    # value before them give exactly two one-step differences.
    "over": dict(
        k=1, previous=NAN, actual=[4, 6, 5], predicted=[5, 6.5, 7]),
    # Every prediction below its actual value: the smallest errors are
    # positive.
    "under": dict(
        k=1, previous=8.0, actual=[10, 12, 11, 13], predicted=[9, 11.5, 10, 12]),
    # No prediction at all.
    "no_prediction": dict(
        k=1, previous=NAN, actual=[1, 2, 3], predicted=[NAN, NAN, NAN]),
}


def r_accuracy(actual, predicted):
    """ME, RMSE, MPE, MAPE from forecast::accuracy on the pairs given."""
    def vec(xs):
        return "c(" + ",".join("NA" if math.isnan(x) else repr(float(x)) for x in xs) + ")"
    script = (
        "suppressMessages(library(forecast));"
        f"a <- accuracy({vec(predicted)}, {vec(actual)});"
        "cat(sprintf('%.17g', a[1, c('ME','RMSE','MPE','MAPE')]), sep='\\n')")
    out = subprocess.run(["Rscript", "-e", script], check=True, capture_output=True, text=True).stdout.split()
    return [float(x) for x in out]


def fit_expected(name, case):
    a = np.array(case["actual"], dtype=float)
    p = np.array(case["predicted"], dtype=float)
    k = case["k"]
    n_given = len(a)
    has_p = ~np.isnan(p)
    first = int(np.argmax(has_p)) if has_p.any() else n_given
    last = n_given - int(np.argmax(has_p[::-1])) if has_p.any() else n_given
    if first >= last:
        first = last = n_given
    ta, tp = a[first:last], p[first:last]
    pair = ~np.isnan(ta) & ~np.isnan(tp)
    ap, pp = ta[pair], tp[pair]
    n = len(ap)
    out = {0: n - k, 1: last - first, 2: n_given, 3: int(np.isnan(a).sum()),
           4: int((~has_p).sum()), 5: k}
    if n < 1:
        return out
    e = ap - pp
    sse = float(np.sum(e * e))
    mse = mean_squared_error(ap, pp)
    out[8] = sse
    out[9] = mse
    out[14] = mean_absolute_error(ap, pp)
    out[15] = r2_score(ap, pp)
    out[22] = float(e.max())
    out[23] = float(e.min())
    out[6] = float(np.nansum(ta * ta))
    out[7] = float(np.sum((ap - ap.mean()) ** 2))
    if n - k >= 1:
        out[11] = sse / (n - k)
        out[12] = math.sqrt(sse / (n - k))
        out[16] = 1 - (n - 1) * (1 - out[15]) / (n - k)
        out[17] = 1 - (n + k) * (1 - out[15]) / (n - k)
        out[21] = sse * ((k + n) / (n - k) / n)
    before = a[first - 1] if first > 0 else case["previous"]
    chain = np.concatenate([[before], ta])
    d = np.diff(chain)
    d = d[~np.isnan(d)]
    if len(d) >= 2:
        out[18] = 1 - mse / float(np.var(d))
    out[19] = 2 * k + n * math.log(mse)
    out[20] = n * math.log(mse) + k * math.log(n)
    usable = ap != 0
    me, rmse, mpe, mape = r_accuracy(ap[usable], pp[usable])
    me_all, rmse_all, _, _ = r_accuracy(ap, pp)
    out[26] = me_all
    out[10] = rmse_all
    out[27] = mpe
    out[13] = mape
    pe = 100 * (ap[usable] - pp[usable]) / ap[usable]
    out[24] = float(pe.max())
    out[25] = float(pe.min())
    return out


SUMMARY_CASES = {
    "runs": [1, NAN, NAN, 4],
    "edges": [NAN, 2, 3, NAN, NAN, NAN, 7, NAN],
    "one": [5],
    "large": [1e9 + 1, 1e9 + 2, 1e9 + 3],
    "all_missing": [NAN, NAN, NAN],
    "none_missing": [3, -1, 2.5, 8],
}


def summary_row(name, values):
    x = np.array(values, dtype=float)
    runs, run = [], 0
    for v in x:
        if math.isnan(v):
            run += 1
        elif run:
            runs.append(run)
            run = 0
    if run:
        runs.append(run)
    present = int((~np.isnan(x)).sum())
    stats = [NAN] * 5
    if present:
        std = float(np.nanstd(x, ddof=1)) if present >= 2 else NAN
        stats = [float(np.nanmin(x)), float(np.nanmax(x)), float(np.nanmean(x)), std, float(np.nansum(x))]
    return [name, ";".join(cell(v) for v in x), len(x), present, len(x) - present,
            min(runs) if runs else 0, max(runs) if runs else 0] + [cell(v) for v in stats]


def write(name, header, rows):
    with open(os.path.join(HERE, name), "w", newline="") as f:
        w = csv.writer(f, lineterminator="\n")
        w.writerow(header)
        w.writerows(rows)


def main():
    rows, frames = aux_data()
    write("series_aux_data.csv", ["member", "g", "date", "v"], rows)
    write("series_aux_expected.csv", ["case", "g", "date", "value"], aux_expected(frames))
    inputs, expected = [], []
    for name, case in FIT_CASES.items():
        for i, (a, p) in enumerate(zip(case["actual"], case["predicted"])):
            inputs.append([name, case["k"], cell(case["previous"]), i, cell(a), cell(p)])
        values = fit_expected(name, case)
        for number in range(28):
            expected.append([name, number, cell(values.get(number, NAN))])
    write("series_fit_inputs.csv", ["case", "k", "previous", "pos", "actual", "predicted"], inputs)
    write("series_fit_expected.csv", ["case", "value", "expected"], expected)
    write("series_summary.csv",
          ["case", "values", "count", "present", "missing", "shortest", "longest",
           "minimum", "maximum", "mean", "std", "sum"],
          [summary_row(name, values) for name, values in SUMMARY_CASES.items()])


if __name__ == "__main__":
    main()
