#!/usr/bin/python3
"""Writes the benchmark's input data set: N daily series (BY variable
`series`, S00001 ...) over the ten years 2011-01-01 to 2020-12-31 (3,653
days each), with a whole-number variable `value`.

    /usr/bin/python3 bench/generate.py N DIR    # writes DIR/daily.csv
"""
import datetime
import os
import random
import sys


def main():
    n, directory = int(sys.argv[1]), sys.argv[2]
    days = [(datetime.date(2011, 1, 1) + datetime.timedelta(days=k)).isoformat()
            for k in range((datetime.date(2021, 1, 1) - datetime.date(2011, 1, 1)).days)]
    rng = random.Random(16)
    with open(os.path.join(directory, "daily.csv"), "w") as out:
        out.write("series,date,value\n")
        for s in range(1, n + 1):
            name = "S%05d" % s
            out.write("".join("%s,%s,%d\n" % (name, day, rng.randrange(1000)) for day in days))


if __name__ == "__main__":
    main()
