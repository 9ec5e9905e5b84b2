#!/usr/bin/env python3
"""Derives the starter cartridges, data/cartridges.csv, from the certification tests in data/cartridge-tests/.

Run by hand whenever the tests or the model change, with the command-line calculator of a build:

    python3 data/build_cartridges.py --calc build-dev/bin/quandrelle-calc           # rewrites data/cartridges.csv
    python3 data/build_cartridges.py --calc build-dev/bin/quandrelle-calc --check   # exit 1 when it differs

Python standard library only. A cartridge approved under a test lasts at least the test's minimum time, so a
carbon that gives exactly that minimum is a conservative stand-in when the maker's carbon data are unknown. For
each test the calculator's cartridge fit (--fit-cartridge) finds the micropore volume that reproduces the minimum
time with the stated bed, carbon weight and granule size and with the adsorption potential held; the vapor is the
vapor library's. The calculator must read the vapor library (its build places one beside it).
"""

import argparse
import csv
import io
import json
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
TESTS = HERE / "cartridge-tests" / "tests.csv"
CARTRIDGES = HERE / "cartridges.csv"

RECORD_COLUMNS = ["cartName", "bedDiam", "bedDepth", "carbWgt", "micVol", "relHumPre", "diamGran", "apBenzene",
                  "affinityForWater"]
EVIDENCE_COLUMNS = ["test", "source", "vapor", "concentration", "breakConc", "minutes", "temperature", "pressure",
                    "relHumidity", "cartridges", "airFlow", "predicted", "assumptions"]
# The record's number fields hold eight characters.
FIELD_WIDTH = 8
CONDITION_KEYS = ["temperature", "pressure", "relHumidity", "cartridges", "airFlow"]
CARTRIDGE_KEYS = {"bedDiameter": "bedDiam", "bedDepth": "bedDepth", "carbonWeight": "carbWgt",
                  "precondRH": "relHumPre", "granuleDiameter": "diamGran", "benzenePotential": "apBenzene",
                  "waterAffinity": "affinityForWater"}
# A starter must reproduce its test's minimum time this closely.
MAX_TIME_ERROR_PERCENT = 1.0


def number(text):
    return float(text)


def record_text(value):
    """A number as the record field holds it: the shortest text, at most eight characters."""
    text = repr(float(value))
    if text.endswith(".0"):
        text = text[:-2]
    if len(text) > FIELD_WIDTH:
        raise ValueError(f"{value} does not fit a record field of {FIELD_WIDTH} characters")
    return text


def fit_input(test):
    cartridge = {"name": test["cartName"]}
    for key in CARTRIDGE_KEYS:
        cartridge[key] = number(test[key])
    return {
        "cartridge": cartridge,
        "points": [{
            "conditions": {key: number(test[key]) for key in CONDITION_KEYS},
            "vapor": {"name": test["vapor"], "concentration": number(test["concentration"])},
            "breakConc": number(test["breakConc"]),
            "minutes": number(test["minutes"]),
        }],
    }


def fit(calc, test):
    with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as handle:
        json.dump(fit_input(test), handle)
        path = handle.name
    try:
        done = subprocess.run([calc, "--fit-cartridge", path, "--json"], capture_output=True, text=True)
    finally:
        Path(path).unlink()
    if done.returncode != 0:
        raise RuntimeError(f"{test['cartName']}: the fit failed: {done.stderr.strip()}")
    return json.loads(done.stdout)


def starter_row(test, result):
    point = result["points"][0]
    if abs(point["error"]) > MAX_TIME_ERROR_PERCENT:
        raise RuntimeError(f"{test['cartName']}: the fit misses the minimum time by {point['error']:.2f} %")
    row = {"cartName": test["cartName"], "micVol": record_text(result["microporeVolume"])}
    for key, column in CARTRIDGE_KEYS.items():
        row[column] = test[key]
    row["apBenzene"] = record_text(result["benzenePotential"])
    for column in EVIDENCE_COLUMNS:
        if column in test:
            row[column] = test[column]
    row["predicted"] = f"{point['predicted']:.2f}"
    return row


def build(calc):
    with TESTS.open(newline="", encoding="utf-8") as handle:
        tests = list(csv.DictReader(handle))
    out = io.StringIO()
    writer = csv.DictWriter(out, fieldnames=RECORD_COLUMNS + EVIDENCE_COLUMNS, lineterminator="\n")
    writer.writeheader()
    for test in tests:
        row = starter_row(test, fit(calc, test))
        writer.writerow(row)
        print(f"{row['cartName']}: micropore volume {row['micVol']} cm3/g, {row['predicted']} min "
              f"for the test's {row['minutes']} min", file=sys.stderr)
    return out.getvalue()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--calc", required=True, help="the quandrelle-calc program of a build")
    parser.add_argument("--check", action="store_true", help="only compare with data/cartridges.csv")
    args = parser.parse_args()
    text = build(args.calc)
    if args.check:
        if CARTRIDGES.read_text(encoding="utf-8") != text:
            print("data/cartridges.csv is not what the tests give: run data/build_cartridges.py", file=sys.stderr)
            return 1
        return 0
    CARTRIDGES.write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
