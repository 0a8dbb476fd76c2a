#!/usr/bin/python3
"""Writes the custom-interval data sets of tests/fixtures/custom_intervals/
and the expected values of custom_steps.csv and custom_timeid.csv, from
pandas fiscal quarters (an implementation independent of ours).

The calendar: the twenty pandas 'Q-JAN' periods 2018Q1 to 2022Q4 (fiscal
quarters of years ending in January, so 2018Q1 is February to April 2017),
SEASON the pandas quarter.  Data sets:
    fqend    BEGIN, END, SEASON of the twenty quarters;
    fqbegin  BEGIN, SEASON (no END: a quarter ends where the next begins;
             the last one is open-ended);
    fqgap    as fqend without the sixth quarter (a gap).
Intervals (INTERVALDS): FISCALQ=CI.FQEND, FISCALQN=CI.FQBEGIN,
FISCALQG=CI.FQGAP; FISCALQ2 and FISCALQ2.2 are FISCALQ with multiplier 2,
without and with a shift.

Periods of a custom interval: raw period i (1..N) is observation i; index
0 is the open period before the data (begin .M, end first BEGIN - 1); with
END, index N + 1 is the open period after it (begin last END + 1, end .I).
A value is placed by bisect on the begins (Python's bisect) and lies in a
period when begin <= value < end + 1; a value between two periods of fqgap
lies nowhere.  Multiplier 2 pairs raw periods (2k - 1, 2k), with shift 2
(stored shift 1) (2k, 2k + 1); their bounds come from pandas '2Q-JAN'
periods.

custom_steps.csv: id, interval, function, x, n, expected.
    function INTNX_B, INTNX_E, INTNX_M, INTNX_S (INTNX with that
    alignment), INTCK (n is the second value), INTINDEX (the season);
    x and n are day numbers since 1960-01-01 or the position values .F, .M,
    .L, .I; expected is a day number, '.', '.M' or '.I'.
custom_datekeys.csv: id, function, interval, series, first, count, key,
    expected (day numbers separated by blanks, empty for none).
    SEASON: the dates of the season key <interval>_<key> over a series of
    `count` MONTH or DAY time IDs from day `first`: the start of every
    pandas 'Q-JAN' period of quarter `key` in the calendar that overlaps
    the series' span (first day of its first interval to last day of its
    last); the open-ended last quarter of fqbegin overlaps everything after
    it.  A span that starts in the gap of fqgap keeps the quarters after it.
    PERIODIC: an event with the custom PERIOD= <interval> and reference day
    `key` over a DAY series: the start of every closed period of the
    calendar that overlaps the span.
custom_timeid.csv: id, interval, value, index, status, begin, end, middle
    index: the absolute period index, from pandas IntervalIndex.get_indexer
    over the periods with the open periods added (-1 unplaced); status the
    per-value status bits (1 begin .M, 4 end .I, 10 unplaced); begin, end
    and middle (floor((begin + end) / 2), '.' when a status bit is set) the
    aligned values.
"""
import bisect
import csv
import math
import os

import pandas as pd

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, '..', 'fixtures', 'custom_intervals')
EPOCH = pd.Timestamp('1960-01-01')

M, I, DOT = '.M', '.I', '.'


def day(ts):
    return int((pd.Timestamp(ts).normalize() - EPOCH).days)


def iso(d):
    return (EPOCH + pd.Timedelta(days=d)).strftime('%Y-%m-%d')


QUARTERS = pd.period_range('2018Q1', '2022Q4', freq='Q-JAN')
BEGINS = [day(p.start_time) for p in QUARTERS]
ENDS = [day(p.end_time) for p in QUARTERS]
SEASONS = [p.quarter for p in QUARTERS]


class Calendar:
    """A custom interval: raw periods, END or not, multiplier g, shift f."""

    def __init__(self, begins, ends, seasons, g=1, f=0):
        self.b, self.e, self.s, self.g, self.f = begins, ends, seasons, g, f
        self.n = len(begins)

    def raw(self, i):
        b = self.b[i - 1]
        if self.e is not None:
            e = self.e[i - 1]
        else:
            e = self.b[i] - 1 if i < self.n else I
        return b, e, self.s[i - 1]

    def locate_raw(self, v):
        """Raw index (0..N+1) and period of an ordinary value, or None."""
        i = bisect.bisect_right(self.b, v)  # begins <= v
        if i >= 1:
            b, e, s = self.raw(i)
            if e == I or v < e + 1:
                return i, (b, e, s)
            if i == self.n and self.e is not None:
                return self.n + 1, (self.e[-1] + 1, I, DOT)
            return None  # a gap
        return 0, (M, self.b[0] - 1, DOT)

    def period(self, k):
        g, f, n = self.g, self.f, self.n
        if g == 1:
            if 1 <= k <= n:
                return self.raw(k)
            if k == 0:
                return M, self.b[0] - 1, DOT
            if self.e is not None and k == n + 1:
                return self.e[-1] + 1, I, DOT
            return None
        if k < 0 or k > n + 1:
            return None
        lo, hi = g * (k - 1) + f + 1, g * k + f
        if lo >= 1 and hi <= n and (self.e is not None or hi < n):
            return self.raw(lo)[0], self.raw(hi)[1], DOT
        if 1 <= lo <= n <= hi:
            return self.raw(lo)[0], I, DOT
        if self.e is not None and lo == n + 1:
            return self.e[-1] + 1, I, DOT
        if lo < 1:
            if hi >= 1:
                return M, self.raw(hi)[1], DOT
            if f == 0:
                return M, self.b[0] - 1, DOT
        return None

    def index_of_raw(self, r):
        return r if self.g == 1 else -((-(r - self.f)) // self.g)

    def locate(self, v):
        if v == '.F':
            return 1, self.period(1)
        if v == M:
            return 0, self.period(0)
        if v == I:
            k = self.index_of_raw(self.n + 1 if self.e is not None else self.n)
            return k, self.period(k)
        if v == '.L':
            v = self.b[-1]
        found = self.locate_raw(v)
        if found is None:
            return None
        k = self.index_of_raw(found[0])
        return k, (found[1] if self.g == 1 else self.period(k))


def step(cal, x, n, part):
    found = cal.locate(x)
    if found is None:
        return DOT
    k, p = found
    target = k if n == 0 else k + n
    if x == I and n > 0:
        return DOT
    q = p if n == 0 else cal.period(target)
    if q is None:
        return DOT
    return q[part]


def aligned(cal, x, n, align):
    b = step(cal, x, n, 0)
    if b in (DOT, I):
        if align != 'E':
            return b
    elif b == M and align == 'M':
        return DOT
    if align not in ('E', 'M'):
        return b
    e = step(cal, x, n, 1)
    if align == 'E' or e in (DOT, M, I):
        return e
    return math.floor((b + e) / 2)


def count(cal, x, y):
    a, b = cal.locate(x), cal.locate(y)
    if a is None or b is None:
        return DOT
    return b[0] - a[0]


def pandas_pairs(start, freq_periods):
    """Bounds of pandas '2Q-JAN' periods from a start date."""
    r = pd.period_range(start=EPOCH + pd.Timedelta(days=start), periods=freq_periods, freq='2Q-JAN')
    return [(day(p.start_time), day(p.end_time)) for p in r]


def check_pairs(cal, first_raw):
    """The complete periods of a multiplied calendar are pandas' '2Q-JAN'
    periods; fails loudly when the rules above disagree with pandas."""
    pairs = pandas_pairs(cal.b[first_raw - 1], 9)
    for k, (b, e) in enumerate(pairs, start=1):
        got = cal.period(k)
        assert (got[0], got[1]) == (b, e), (k, got, b, e)


def write_data_sets():
    os.makedirs(FIXTURES, exist_ok=True)
    gap = [i for i in range(20) if i != 5]
    sets = {
        'fqend': (['BEGIN', 'END', 'SEASON'], [(BEGINS[i], ENDS[i], SEASONS[i]) for i in range(20)]),
        'fqbegin': (['BEGIN', 'SEASON'], [(BEGINS[i], SEASONS[i]) for i in range(20)]),
        'fqgap': (['BEGIN', 'END', 'SEASON'], [(BEGINS[i], ENDS[i], SEASONS[i]) for i in gap]),
    }
    for name, (header, rows) in sets.items():
        with open(os.path.join(FIXTURES, name + '.csv'), 'w', newline='') as out:
            w = csv.writer(out, lineterminator='\n')
            w.writerow(header)
            for row in rows:
                w.writerow([iso(v) if h != 'SEASON' else v for h, v in zip(header, row)])


def write_datekeys():
    """Season keys and periodic dates of custom calendars over series."""
    gap_quarter = QUARTERS[5]
    calendars = {
        'FISCALQ': (list(QUARTERS), False),
        'FISCALQN': (list(QUARTERS), True),
        'FISCALQG': ([p for p in QUARTERS if p != gap_quarter], False),
    }

    def span(series, first, count):
        start = EPOCH + pd.Timedelta(days=first)
        if series == 'DAY':
            return first, first + count - 1
        months = pd.period_range(start=start, periods=count, freq='M')
        return day(months[0].start_time), day(months[-1].end_time)

    def overlapping(name, b, e, closed_only):
        periods, open_last = calendars[name]
        found = []
        for p in periods:
            end = day(p.end_time)
            if open_last and p == periods[-1]:
                if closed_only:
                    continue
                end = math.inf
            if day(p.start_time) <= e and end >= b:
                found.append(p)
        return found

    rows = []
    seasons = [
        ('FISCALQ', 'MONTH', day('2018-06-01'), 30, 2),
        ('FISCALQ', 'DAY', day('2017-01-10'), 1500, 2),
        ('FISCALQ', 'MONTH', day('2016-01-01'), 100, 2),
        ('FISCALQ', 'DAY', day('2019-05-02'), 60, 2),
        ('FISCALQ', 'DAY', day('2019-08-01'), 60, 2),
        ('FISCALQN', 'DAY', day('2021-06-01'), 400, 4),
        ('FISCALQN', 'MONTH', day('2016-01-01'), 100, 1),
        ('FISCALQG', 'DAY', day('2018-06-01'), 800, 2),
        ('FISCALQG', 'MONTH', day('2017-03-01'), 36, 3),
    ]
    for name, series, first, n, quarter in seasons:
        b, e = span(series, first, n)
        dates = [day(p.start_time) for p in overlapping(name, b, e, False) if p.quarter == quarter]
        rows.append(('SEASON', name, series, first, n, quarter, dates))
    periodic = [
        ('FISCALQ', day('2019-01-01'), 365, day('2019-06-15')),
        ('FISCALQ', day('2021-06-01'), 400, day('2019-06-15')),
        ('FISCALQ', day('2016-10-01'), 200, day('2017-03-01')),
        ('FISCALQG', day('2018-01-01'), 365, day('2018-09-15')),
        ('FISCALQ', day('2019-01-01'), 365, day('2019-05-01')),  # a period's first day
    ]
    for name, first, n, reference in periodic:
        b, e = span('DAY', first, n)
        dates = [day(p.start_time) for p in overlapping(name, b, e, True)]
        rows.append(('PERIODIC', name, 'DAY', first, n, reference, dates))
    with open(os.path.join(HERE, 'custom_datekeys.csv'), 'w', newline='') as out:
        w = csv.writer(out, lineterminator='\n')
        w.writerow(['id', 'function', 'interval', 'series', 'first', 'count', 'key', 'expected'])
        for i, (func, name, series, first, n, key, dates) in enumerate(rows, start=1):
            w.writerow([i, func, name, series, first, n, key, ' '.join(str(d) for d in dates)])


def main():
    write_data_sets()
    write_datekeys()
    gap = [i for i in range(20) if i != 5]
    cals = {
        'FISCALQ': Calendar(BEGINS, ENDS, SEASONS),
        'FISCALQN': Calendar(BEGINS, None, SEASONS),
        'FISCALQG': Calendar([BEGINS[i] for i in gap], [ENDS[i] for i in gap], [SEASONS[i] for i in gap]),
        'FISCALQ2': Calendar(BEGINS, ENDS, SEASONS, 2, 0),
        'FISCALQ2.2': Calendar(BEGINS, ENDS, SEASONS, 2, 1),
    }
    check_pairs(cals['FISCALQ2'], 1)
    check_pairs(cals['FISCALQ2.2'], 2)

    inside = day('2019-06-15')      # FY2020 Q2
    first_day = BEGINS[0]
    before = day('2016-12-31')      # before the first quarter
    last_day = ENDS[-1]
    after = day('2022-03-01')       # after the last quarter
    in_gap = day('2018-06-01')      # the sixth quarter, missing from fqgap
    last_quarter = day('2021-12-25')
    before_gap = ENDS[4]            # the last day before the gap of fqgap
    after_gap = BEGINS[6]           # the first day after it
    values = [inside, first_day, before, last_day, after, in_gap, last_quarter, before_gap, after_gap]
    steps = [-2, -1, 0, 1, 2, 3]

    rows = []
    for name, cal in cals.items():
        for x in values:
            for n in steps:
                for func, align in (('INTNX_B', 'B'), ('INTNX_E', 'E'), ('INTNX_M', 'M'), ('INTNX_S', 'S')):
                    rows.append((name, func, x, n, aligned(cal, x, n, align)))
                rows.append((name, 'INTINDEX', x, n, step(cal, x, n, 2)))
            for y in values:
                rows.append((name, 'INTCK', x, y, count(cal, x, y)))
        for x in ('.F', M, '.L', I):
            for n in (-1, 0, 1):
                if x in (M, I):
                    rows.append((name, 'INTNX_B', x, n, aligned(cal, x, n, 'B')))
                    rows.append((name, 'INTNX_E', x, n, aligned(cal, x, n, 'E')))
                rows.append((name, 'POS_B', x, n, step(cal, x, n, 0)))
                rows.append((name, 'POS_E', x, n, step(cal, x, n, 1)))
    with open(os.path.join(HERE, 'custom_steps.csv'), 'w', newline='') as out:
        w = csv.writer(out, lineterminator='\n')
        w.writerow(['id', 'interval', 'function', 'x', 'n', 'expected'])
        for i, (name, func, x, n, e) in enumerate(rows, start=1):
            w.writerow([i, name, func, x, n, e])

    # Time index: pandas IntervalIndex over the periods, with the open
    # periods before and after the data, closed on the left.
    rows = []
    for name in ('FISCALQ', 'FISCALQN', 'FISCALQG'):
        cal = cals[name]
        lefts, rights, indices = [-1e12], [cal.b[0]], [0]
        for i in range(1, cal.n + 1):
            b, e, _ = cal.raw(i)
            lefts.append(b)
            rights.append(1e12 if e == I else e + 1)
            indices.append(i)
        if cal.e is not None:
            lefts.append(cal.e[-1] + 1)
            rights.append(1e12)
            indices.append(cal.n + 1)
        index = pd.IntervalIndex.from_arrays(lefts, rights, closed='left')
        probes = values + [inside + 0.5, ENDS[3] + 0.25, BEGINS[4] - 0.5, BEGINS[-1], BEGINS[-1] + 40,
                           after + 400.5]
        positions = index.get_indexer(probes)
        for v, pos in zip(probes, positions):
            if pos < 0:
                rows.append((name, v, -1, 10, DOT, DOT, DOT))
                continue
            k = indices[pos]
            b, e, _ = cal.period(k)
            status = (1 if b == M else 0) | (4 if e == I else 0)
            middle = DOT if status else math.floor((b + e) / 2)
            rows.append((name, v, k, status, b, e, middle))
    with open(os.path.join(HERE, 'custom_timeid.csv'), 'w', newline='') as out:
        w = csv.writer(out, lineterminator='\n')
        w.writerow(['id', 'interval', 'value', 'index', 'status', 'begin', 'end', 'middle'])
        for i, row in enumerate(rows, start=1):
            w.writerow([i] + list(row))


if __name__ == '__main__':
    main()
