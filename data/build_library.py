#!/usr/bin/env python3
"""Builds the shipped vapor library, data/vapors.csv, from the reference data in data/reference/.

Run by hand whenever the reference data change:

    python3 data/build_library.py            # rewrites data/vapors.csv and prints a summary
    python3 data/build_library.py --check    # exit status 1 when data/vapors.csv is not what it builds

Python standard library only. For each reference vapor it takes the weight, density, refractive index
and water solubility from properties.csv, and fits the program's vapor pressure equation,
ln P[torr] = A - B / (T[K] + C), to the vapor-pressure.csv points at the temperatures of use. A vapor
whose row would not meet the library's checks is left out and named in the summary.
"""

import argparse
import csv
import io
import math
import sys
from dataclasses import dataclass, field
from pathlib import Path

HERE = Path(__file__).resolve().parent
REFERENCE = HERE / "reference"
# Reference values found wrong, each with the value used instead and why.
CORRECTIONS = HERE / "corrections.csv"
LIBRARY = HERE / "vapors.csv"

COLUMNS = [
    "chemName", "molWt", "liqDensity", "molPolariz", "waterSolFactor", "avgConc",
    "antoineA", "antoineB", "antoineC", "casNumber",
    "formula", "refractiveIndex", "boilingPointK", "antoineTminK", "antoineTmaxK", "source",
]

# The constants are fitted to the reference points of this span, a little wider than the 0-45 C the
# program is used at, so that the ends of the working range are not the ends of the fit.
FIT_LOW_K, FIT_HIGH_K = 263.0, 333.0
# Too few points inside the correlation's own range to settle three constants.
MIN_FIT_POINTS = 4
# Every row must reproduce the reference this closely over this span ...
CHECK_LOW_K, CHECK_HIGH_K = 263.0, 323.0
MAX_PRESSURE_ERROR = 0.03
# ... at every point the carbon can meet as a vapor: above a trace pressure and below boiling.
MIN_CHECKED_TORR = 0.01
# The reference accepts a correlation only when it gives the normal boiling point within 1 K; fitted
# constants that miss it by more are held to the nearer edge of that band.
BOILING_BAND_K = 1.0
MAX_BOILING_ERROR_K = 2.0
ATMOSPHERE_TORR = 760.0

# The record's text fields and number fields (8 characters each), and the values the vapor screen
# accepts.
TEXT_WIDTHS = {"chemName": 35, "casNumber": 18}
FIELD_WIDTH = 8
SCREEN_LIMITS = {
    "molWt": (2, 1000), "liqDensity": (0.4, 4.0), "molPolariz": (5, 100), "waterSolFactor": (0, 1.0),
    "avgConc": (0.01, 100000), "antoineA": (10, 50), "antoineB": (1000, 20000), "antoineC": (-120, 500),
}
# A neutral starting concentration, for the user to change.
AVERAGE_CONCENTRATION = "100"
# Below this volume fraction a vapor counts as insoluble in the water the carbon holds.
MIN_SOLUBILITY_FACTOR = 0.001


class LeftOut(Exception):
    """A reference vapor that cannot be shipped; the message says why."""


@dataclass
class Point:
    kelvin: float
    torr: float
    in_range: bool
    line: int


@dataclass
class Antoine:
    a: float
    b: float
    c: float

    def ln_torr(self, kelvin):
        return self.a - self.b / (kelvin + self.c)

    def torr(self, kelvin):
        return math.exp(self.ln_torr(kelvin))

    def boiling_k(self):
        return self.b / (self.a - math.log(ATMOSPHERE_TORR)) - self.c


@dataclass
class Fit:
    constants: Antoine  # as shipped: the values of the 8-character texts
    unrounded: Antoine
    texts: tuple
    points: list
    notes: list = field(default_factory=list)


def read_table(path):
    """The rows of a reference CSV as dictionaries, each with its 1-based line number (header = 1)."""
    with open(path, newline="", encoding="utf-8") as f:
        reader = csv.DictReader(f)
        rows = []
        for row in reader:
            row["line"] = reader.line_num
            rows.append(row)
        return rows


def pressure_points(rows):
    """For each CAS number, its points in rising temperature and the name of its correlation."""
    by_cas = {}
    for row in rows:
        points, _ = by_cas.setdefault(row["cas"], ([], row["correlation"]))
        points.append(Point(float(row["T_K"]), float(row["P_torr"]), row["inRange"] == "1", row["line"]))
    for points, _ in by_cas.values():
        points.sort(key=lambda p: p.kelvin)
    return by_cas


# --- fitting ----------------------------------------------------------------------------------------

def _line_fit(points, c, anchor_k):
    """Least squares in ln P for a fixed C: (residual sum, A, B). With an anchor the curve passes
    through 760 torr at that temperature, leaving B alone to fit."""
    if anchor_k is None:
        xs = [-1.0 / (p.kelvin + c) for p in points]
        ys = [math.log(p.torr) for p in points]
        mean_x, mean_y = sum(xs) / len(xs), sum(ys) / len(ys)
        sxx = sum((x - mean_x) ** 2 for x in xs)
        sxy = sum((x - mean_x) * (y - mean_y) for x, y in zip(xs, ys))
        b = sxy / sxx
        a = mean_y - b * mean_x
    else:
        base = math.log(ATMOSPHERE_TORR)
        zs = [1.0 / (anchor_k + c) - 1.0 / (p.kelvin + c) for p in points]
        ys = [math.log(p.torr) - base for p in points]
        b = sum(z * y for z, y in zip(zs, ys)) / sum(z * z for z in zs)
        a = base + b / (anchor_k + c)
    residual = sum((math.log(p.torr) - a + b / (p.kelvin + c)) ** 2 for p in points)
    return residual, a, b


def fit_antoine(points, anchor_k=None):
    """A, B and C minimising the squared error in ln P: C scanned over -200..200 K in 1 K steps,
    then refined around the best value in steps of 0.1, 0.01 and 0.001 K; A and B by linear least
    squares at each trial C."""
    def residual(c):
        return _line_fit(points, c, anchor_k)[0]

    best = min(range(-200, 201), key=residual)
    for step in (0.1, 0.01, 0.001):
        best = min((best + k * step for k in range(-10, 11)), key=residual)
    _, a, b = _line_fit(points, best, anchor_k)
    return Antoine(a, b, best)


def number_text(value, width=FIELD_WIDTH):
    """The value with as many decimals as fit the width, trailing zeros dropped."""
    for decimals in range(width, -1, -1):
        text = f"{value:.{decimals}f}"
        if len(text) <= width:
            if "." in text:
                text = text.rstrip("0").rstrip(".")
            return "0" if text in ("-0", "") else text
    raise LeftOut(f"{value} does not fit an {width}-character field")


def rounded_constants(points, fitted, anchor_k):
    """The constants as 8-character texts. Each is rounded in turn and the ones after it are fitted
    again with it fixed, so that the rounding of one is made good by the others."""
    c_text = number_text(fitted.c)
    c = float(c_text)
    _, a, b = _line_fit(points, c, anchor_k)
    b_text = number_text(b)
    b = float(b_text)
    if anchor_k is None:
        a = sum(math.log(p.torr) + b / (p.kelvin + c) for p in points) / len(points)
    else:
        a = math.log(ATMOSPHERE_TORR) + b / (anchor_k + c)
    a_text = number_text(a)
    return (a_text, b_text, c_text), Antoine(float(a_text), b, c)


def checked_points(points, boiling_k):
    return [p for p in points
            if CHECK_LOW_K <= p.kelvin <= CHECK_HIGH_K and p.torr > MIN_CHECKED_TORR and p.kelvin < boiling_k]


def worst_pressure_error(constants, points):
    """The largest relative error of the constants against the points, and the point it is at."""
    worst = (0.0, None)
    for p in points:
        error = abs(constants.torr(p.kelvin) / p.torr - 1.0)
        if error > worst[0]:
            worst = (error, p)
    return worst


def fit_held_to_boiling(points, boiling_k, notes):
    """The least-squares constants, held to the boiling band when a free fit falls outside it."""
    constants = fit_antoine(points)
    anchor_k = None
    miss = constants.boiling_k() - boiling_k
    if abs(miss) > BOILING_BAND_K:
        anchor_k = boiling_k + math.copysign(BOILING_BAND_K, miss)
        notes = notes + [f"the free fit boils {miss:+.2f} K from the boiling point, "
                         f"so held to {ATMOSPHERE_TORR:.0f} torr at {anchor_k:.2f} K"]
        constants = fit_antoine(points, anchor_k)
    texts, shipped = rounded_constants(points, constants, anchor_k)
    return Fit(shipped, constants, texts, points, notes)


def fit_for_use(points, boiling_k):
    """Fits the constants to the points inside the correlation's range. Where those are too few, or
    constants fitted to them miss the reference's points below the range (a supercooled liquid, say)
    by more than the library allows, the correlation's extrapolated points of the span are used too:
    they are what the reference gives there."""
    span = [p for p in points if FIT_LOW_K <= p.kelvin <= FIT_HIGH_K]
    inside = [p for p in span if p.in_range]
    if len(inside) >= MIN_FIT_POINTS:
        fit = fit_held_to_boiling(inside, boiling_k, [])
        error, _ = worst_pressure_error(fit.constants, checked_points(points, boiling_k))
        if error <= MAX_PRESSURE_ERROR or len(inside) == len(span):
            return fit
        reason = (f"the {len(inside)} points inside the correlation's range alone miss the reference "
                  f"below that range by {error:.1%}")
    else:
        reason = f"the correlation's range holds only {len(inside)} of the {len(span)} points"
    return fit_held_to_boiling(span, boiling_k, [reason + ", so its extrapolated points are used too"])


# --- other fields -----------------------------------------------------------------------------------

def molar_refraction(refractive_index, mol_wt, density):
    """Lorentz-Lorenz: (n^2 - 1) / (n^2 + 2) * M / rho, cm3/mol."""
    n2 = refractive_index * refractive_index
    return (n2 - 1.0) / (n2 + 2.0) * mol_wt / density


def water_solubility_factor(props):
    """1 when miscible; else the volume fraction of the dissolved liquid in the saturated solution,
    volumes additive, 0 below 0.001. The solubility in g/L is read as grams dissolved by a litre of
    water: of its two readings this gives the smaller factor (for the most soluble vapors, about 0.6
    of the per-litre-of-solution reading), so less vapor dissolves in the carbon's water and the
    predicted life errs short. A vapor the reference has no water data for counts as insoluble, for
    the same reason."""
    if props["waterMiscible"] == "1":
        return "1"
    if not props["waterSolubility_g_per_L"]:
        return "0"
    solute_cm3 = float(props["waterSolubility_g_per_L"]) / float(props["liqDensity20"])
    fraction = solute_cm3 / (solute_cm3 + 1000.0)
    return "0" if fraction < MIN_SOLUBILITY_FACTOR else f"{fraction:.3g}"


def within_limits(row):
    for name, width in TEXT_WIDTHS.items():
        if not 0 < len(row[name]) <= width:
            raise LeftOut(f"{name} \"{row[name]}\" does not fit its {width}-character field")
    for name, (low, high) in SCREEN_LIMITS.items():
        text = row[name]
        if len(text) > FIELD_WIDTH:
            raise LeftOut(f"{name} {text} does not fit its {FIELD_WIDTH}-character field")
        value = float(text)
        if not low <= value <= high:
            raise LeftOut(f"{name} {text} lies outside the vapor screen's limits {low} to {high}")


def line_span(points):
    lines = [p.line for p in points]
    return f"{min(lines)}-{max(lines)}"


def library_row(props, points, correlation):
    boiling_k = float(props["normalBoilingPointK"])
    fit = fit_for_use(points, boiling_k)
    error, at = worst_pressure_error(fit.constants, checked_points(points, boiling_k))
    if error > MAX_PRESSURE_ERROR:
        raise LeftOut(f"the fitted constants miss the reference by {error:.1%} at {at.kelvin} K")
    boiling_miss = fit.constants.boiling_k() - boiling_k
    if abs(boiling_miss) > MAX_BOILING_ERROR_K:
        raise LeftOut(f"the fitted constants boil {boiling_miss:+.2f} K from the boiling point")
    mol_wt, density = float(props["molWt"]), float(props["liqDensity20"])
    refraction = molar_refraction(float(props["refractiveIndex20"]), mol_wt, density)
    source = (f"properties.csv line {props['line']}; vapor-pressure.csv lines {line_span(points)} "
              f"({correlation}), fitted to the {len(fit.points)} points from "
              f"{fit.points[0].kelvin} to {fit.points[-1].kelvin} K")
    for note in fit.notes + props.get("corrections", []):
        source += "; " + note
    if not props["waterMiscible"]:
        source += "; no water solubility in the reference, counted as insoluble"
    row = {
        "chemName": props["name"],
        "molWt": props["molWt"],
        "liqDensity": props["liqDensity20"],
        "molPolariz": f"{refraction:.3f}",
        "waterSolFactor": water_solubility_factor(props),
        "avgConc": AVERAGE_CONCENTRATION,
        "antoineA": fit.texts[0],
        "antoineB": fit.texts[1],
        "antoineC": fit.texts[2],
        "casNumber": props["cas"],
        "formula": props["formula"],
        "refractiveIndex": props["refractiveIndex20"],
        "boilingPointK": props["normalBoilingPointK"],
        "antoineTminK": f"{fit.points[0].kelvin:.2f}",
        "antoineTmaxK": f"{fit.points[-1].kelvin:.2f}",
        "source": source,
    }
    within_limits(row)
    rounding_cost = max(abs(fit.constants.ln_torr(p.kelvin) - fit.unrounded.ln_torr(p.kelvin))
                        for p in checked_points(points, boiling_k))
    return row, error, rounding_cost


def apply_corrections(properties, corrections):
    """Puts each correction's value in place of the reference's, refusing one whose reference value is
    no longer what the reference holds (the reference has changed and the correction must be looked
    at again)."""
    by_cas = {props["cas"]: props for props in properties}
    for fix in corrections:
        props = by_cas.get(fix["cas"])
        if props is None or props.get(fix["column"]) != fix["reference"]:
            raise SystemExit(f"corrections.csv line {fix['line']}: the reference no longer holds "
                             f"{fix['column']} {fix['reference']} for {fix['cas']}")
        props[fix["column"]] = fix["corrected"]
        props.setdefault("corrections", []).append(
            f"{fix['column']} {fix['corrected']} instead of the reference's {fix['reference']} "
            f"(corrections.csv line {fix['line']})")


def build(reference=REFERENCE, corrections=CORRECTIONS):
    properties = read_table(reference / "properties.csv")
    apply_corrections(properties, read_table(corrections))
    points_by_cas = pressure_points(read_table(reference / "vapor-pressure.csv"))
    rows, left_out, errors, costs = [], [], {}, {}
    for props in properties:
        try:
            if props["cas"] not in points_by_cas:
                raise LeftOut("no vapor pressure points")
            points, correlation = points_by_cas[props["cas"]]
            row, errors[props["name"]], costs[props["name"]] = library_row(props, points, correlation)
            rows.append(row)
        except LeftOut as reason:
            left_out.append((props["name"], str(reason)))
    # The order a user's list shows: names upper-cased, as the record file's index sorts them.
    rows.sort(key=lambda row: row["chemName"].strip().upper())
    return rows, left_out, errors, costs


def csv_text(rows):
    out = io.StringIO()
    writer = csv.DictWriter(out, fieldnames=COLUMNS, lineterminator="\n")
    writer.writeheader()
    writer.writerows(rows)
    return out.getvalue()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with data/vapors.csv instead of writing it")
    parser.add_argument("--library", type=Path, default=LIBRARY, help="the library CSV (data/vapors.csv)")
    args = parser.parse_args()

    rows, left_out, errors, costs = build()
    text = csv_text(rows)
    if args.check:
        committed = args.library.read_text(encoding="utf-8") if args.library.exists() else ""
        if committed != text:
            built, kept = text.splitlines(), committed.splitlines()
            differing = [i + 1 for i in range(max(len(built), len(kept)))
                         if i >= len(built) or i >= len(kept) or built[i] != kept[i]]
            print(f"{args.library} is not what the reference builds: lines {differing[:10]} differ; "
                  f"run python3 data/build_library.py", file=sys.stderr)
            return 1
        return 0
    args.library.write_text(text, encoding="utf-8")
    worst = max(errors, key=errors.get)
    costliest = max(costs, key=costs.get)
    print(f"{len(rows)} vapors written to {args.library}")
    print(f"worst fit: {worst}, {errors[worst]:.3%} off the reference")
    print(f"largest cost of rounding to {FIELD_WIDTH} characters: {costliest}, "
          f"{math.expm1(costs[costliest]):.5%} in the vapor pressure")
    for name, reason in left_out:
        print(f"left out: {name}: {reason}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
