#!/usr/bin/env python3
"""make_corpus.py - writes the seed corpora of the fuzz harnesses
(tests/fuzz/corpus/<harness>/seed-*) from the golden jobs, the statement
tests, the data-set fixtures and the oracle tables.  Run from the top of the
checkout; the seeds are written anew, and the regression inputs found by
fuzzing (corpus/<harness>/crash-*) are kept."""
import csv
import glob
import hashlib
import os
import re

ROOT = os.path.join("tests", "fuzz", "corpus")


def write(harness, text):
    data = text.encode() if isinstance(text, str) else text
    directory = os.path.join(ROOT, harness)
    os.makedirs(directory, exist_ok=True)
    name = "seed-" + hashlib.sha1(data).hexdigest()[:16]
    with open(os.path.join(directory, name), "wb") as out:
        out.write(data)


def read(path):
    with open(path, encoding="utf-8", errors="replace") as text:
        return text.read()


def jobs():
    paths = sorted(glob.glob("tests/e2e/cases/*/*.job") + glob.glob("examples/*.job"))
    return [read(path) for path in paths]


EVENT_STATEMENT = r"(?:EVENT|DATEKEY)(?:DEF|KEY|COMB|GROUP)\b[^;]*;"


def event_statements():
    """The event and date-key statements of the golden jobs and the
    statement tests."""
    found = []
    for text in jobs():
        found += re.findall(r"^\s*(" + EVENT_STATEMENT + ")", text, re.M | re.I)
    for path in sorted(glob.glob("tests/event/*.cpp") + glob.glob("tests/parser/*.cpp")):
        for block in re.findall(r'R"\((.*?)\)"', read(path), re.S):
            found += re.findall("(" + EVENT_STATEMENT + ")", block, re.I)
    return sorted(set(found))


def event_data_sets():
    """The event definition data sets of the golden jobs, given and
    expected (CSV files with a _NAME_ column), each with its sidecar when
    it has one, as [sidecar LF %% LF] csv."""
    found = []
    for path in sorted(glob.glob("tests/e2e/cases/*/data/*.csv") +
                       glob.glob("tests/e2e/cases/*/expected/*.csv")):
        body = read(path)
        if "_NAME_" not in body.partition("\n")[0].split(","):
            continue
        sidecar = path[:-4] + ".meta.json"
        found.append((read(sidecar) + "\n%%\n" if os.path.exists(sidecar) else "") + body)
    return found


def main():
    for seed in glob.glob(os.path.join(ROOT, "*", "seed-*")):
        os.remove(seed)
    for text in jobs():
        write("job_fuzz", text)
    statements = event_statements()
    for statement in statements:
        write("event_data_fuzz", statement + "\n")
    write("event_data_fuzz", "\n".join(statements) + "\n")
    for data_set in event_data_sets():
        write("event_data_fuzz", "%%evdata\n" + data_set)
    for procedure in ("VORNAK DATA=T.STORES;\nID date INTERVAL=MONTH;\nBY store;", "KIVEVENTS;"):
        write("job_fuzz", "PROC " + procedure + "\n" + "\n".join(statements) +
              "\nEVENTDATA OUT=T.EV;\nRUN;\n")
    for path in sorted(glob.glob("tests/**/*.csv", recursive=True) + glob.glob("examples/data/*.csv")):
        if os.path.getsize(path) > 4096:
            continue
        sidecar = path[:-4] + ".meta.json"
        body = read(path)
        if os.path.exists(sidecar):
            write("csv_fuzz", read(sidecar) + "\n%%\n" + body)
            write("csv_fuzz", "#by\n" + read(sidecar) + "\n%%\n" + body)
        else:
            write("csv_fuzz", body)
    names = set()
    for path in glob.glob("tests/oracle/*.csv"):
        with open(path, newline="") as table:
            for row in csv.DictReader(table):
                if row.get("interval"):
                    names.add(row["interval"])
    names |= {"DAY", "WEEK.2", "WEEKDAY17W", "QTR2.3", "DTHOUR", "SEMIMONTH2.2", "12", "YEAR4.11",
              "DTSECOND", "R445QTR", "WEEKV", "TENDAY", "DTWEEKDAY", "HOUR8.7", "MINUTE", "SECOND"}
    for name in sorted(names):
        write("interval_names_fuzz", name)
    for informat, text in [("DATE9.", "01JAN2020"), ("DATE11.", "01-JAN-2020"), ("F8.2", "1234"),
                           ("BEST12.", "-1.5E3"), ("DATETIME18.", "01JAN2020:10:00:00"),
                           ("TIME8.", "10:30:15"), ("YYMMDD10.", "2020-01-31"), ("MONYY7.", "JAN2020"),
                           ("YYQC6.", "2020:1"), ("YEAR4.", "2020"), ("WEEKV11.", "2020-W01-03"),
                           ("WEEKDATX.", "Friday, 1 January 1582"), ("HHMM.", "10:30"), ("HOUR.", "7"),
                           ("MMSS.", "3:20"), ("DTDATE9.", "01JAN2020"), ("D10.", "12.5"),
                           ("DOLLAR10.2", "$1,234.50"), ("COMMA10.", "1,234"), ("F8.", ".A"),
                           ("DATE7.", "01JAN20"), ("DTMONYY7.", "FEB2020"), ("INT.", "42")]:
        write("informats_fuzz", informat + "\n" + text)


if __name__ == "__main__":
    main()
