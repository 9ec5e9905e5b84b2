#!/usr/bin/env python3
"""Builds the shipped vapor library, data/vapors.csv, from the reference data in data/reference/.

Run by hand whenever the reference data change:

    python3 data/build_library.py            # rewrites data/vapors.csv and prints a summary
    python3 data/build_library.py --check    # exit status 1 when what it writes is not what it builds

Python standard library only. For each reference vapor it takes the weight, density, refractive index
and water solubility from properties.csv, and fits the program's vapor pressure equation,
ln P[torr] = A - B / (T[K] + C), to the vapor-pressure.csv points at the temperatures of use. Where
that correlation is used outside the range its source states, or another set of antoine-alternatives.csv
measured there gives more, the sets are compared and the choice is written into corrections.csv and the
README's vapor library section. A vapor whose row would not meet the library's checks is left out and
named in the summary.
"""

import argparse
import csv
import io
import math
import re
import sys
from dataclasses import dataclass, field
from pathlib import Path

HERE = Path(__file__).resolve().parent
REFERENCE = HERE / "reference"
# Reference values found wrong, each with the value used instead and why.
CORRECTIONS = HERE / "corrections.csv"
LIBRARY = HERE / "vapors.csv"
README = HERE.parent / "README.md"
README_BEGIN = "<!-- extrapolated-correlations: written by data/build_library.py -->"
README_END = "<!-- end extrapolated-correlations -->"

COLUMNS = [
    "chemName", "molWt", "liqDensity", "molPolariz", "waterSolFactor", "avgConc",
    "antoineA", "antoineB", "antoineC", "casNumber",
    "formula", "refractiveIndex", "boilingPointK", "antoineTminK", "antoineTmaxK",
    "correlation", "correlationTminK", "correlationTmaxK", "source",
]
CORRECTION_COLUMNS = ["cas", "name", "column", "reference", "corrected", "reason"]
# The corrections rows of this column are the build's own choice of correlation, written anew each run;
# the other rows are reference values found wrong by hand.
CORRELATION_CHOICE = "correlation"

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

# The correlations of a vapor are compared at the temperatures of use, 0 to 40 C, on the reference's
# 5 K grid, and at room temperature in particular.
USE_GRID_K = [273.15 + 5 * i for i in range(9)]
ROOM_K = 298.15
# Two correlations further apart than this at a temperature of use disagree; a shipped pressure this
# far below a correlation measured at that temperature would lengthen the predicted life.
MAX_DISAGREEMENT = 0.03
# A set this close to the reference's correlation at every temperature of use is a copy of it (the
# same constants passed from one compilation to another), not a second source.
SAME_CURVE = 0.001
# The reference's table grid, and the pressures it keeps, for points of an alternative set.
TABLE_GRID_K = [253.15 + 5 * i for i in range(21)]
MIN_TABLE_TORR, MAX_TABLE_TORR = 0.01, 1500.0


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
class Correlation:
    """One vapor pressure correlation of a vapor: the reference's (its table points) or an alternative
    Antoine set (its constants)."""
    label: str  # "Wagner Poling", "Antoine Landolt"
    low_k: float  # the range its source states
    high_k: float
    points: list
    citation: str  # where its numbers are: "vapor-pressure.csv lines 2-22"
    antoine: Antoine = None  # the constants of an alternative set
    derived: bool = False  # refitted to another curve of the sources, so no source of its own

    def covers(self, kelvin):
        return self.low_k <= kelvin <= self.high_k

    def name(self):
        return f"{self.label} {self.low_k:g}-{self.high_k:g} K"

    def torr(self, kelvin):
        """The pressure at a grid temperature; None where the table has no point."""
        if self.antoine is not None:
            return self.antoine.torr(kelvin)
        return next((p.torr for p in self.points if p.kelvin == kelvin), None)


@dataclass
class Choice:
    """The correlation a vapor's constants are fitted to, and why, where there was a choice."""
    used: Correlation
    reference: Correlation
    checked_against: list  # every other set measured at a temperature of use the library must not lie below
    reason: str = None  # for corrections.csv
    stretched: tuple = None  # (lowest, highest) temperature of use outside the reference's range
    verdict: str = None  # for the README
    line: int = None  # the corrections.csv line of the choice


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


def stated_range(props):
    """The range properties.csv states for the reference's correlation, in K."""
    found = re.search(r"vapor pressure \(([^,]+), stated range ([0-9.]+)-([0-9.]+) K\)", props["sources"])
    if found is None:
        raise SystemExit(f"properties.csv line {props['line']}: no stated range for the vapor pressure")
    return float(found.group(2)), float(found.group(3))


def reference_correlation(props, points, label):
    low, high = stated_range(props)
    return Correlation(label, low, high, points, f"vapor-pressure.csv lines {line_span(points)}")


def alternative_correlations(rows):
    """For each CAS number, its alternative Antoine sets with their points on the reference's grid."""
    by_cas = {}
    for row in rows:
        antoine = Antoine(float(row["A_ln_torr"]), float(row["B_K"]), float(row["C_K"]))
        low, high = float(row["TminK"]), float(row["TmaxK"])
        points = [Point(k, antoine.torr(k), low <= k <= high, row["line"]) for k in TABLE_GRID_K
                  if MIN_TABLE_TORR < antoine.torr(k) <= MAX_TABLE_TORR]
        by_cas.setdefault(row["cas"], []).append(Correlation(
            f"Antoine {row['source']}", low, high, points, f"antoine-alternatives.csv line {row['line']}",
            antoine, derived=row["origin"].startswith("least-squares")))
    return by_cas


# --- choosing the correlation ---------------------------------------------------------------------

def kelvin_span(span):
    low, high = span
    return f"{low:g}" if low == high else f"{low:g}-{high:g}"


def percent(ratio):
    return f"{(ratio - 1) * 100:+.1f} %"


def temperatures_of_use(reference, boiling_k):
    """The grid temperatures of 0 to 40 C at which the vapor is a liquid and the reference has a point."""
    return [k for k in USE_GRID_K if k < boiling_k and reference.torr(k) is not None]


def is_second_source(alternative, reference, temperatures):
    """Not a refit of a curve of the sources, nor the reference's constants passed on."""
    return not alternative.derived and any(
        abs(alternative.torr(k) / reference.torr(k) - 1) > SAME_CURVE for k in temperatures)


def most_above(correlation, shipped, temperatures):
    """The largest ratio of a correlation to the shipped pressure where the correlation is measured."""
    return max((correlation.torr(k) / shipped(k) for k in temperatures if correlation.covers(k)), default=0)


def described(alternative, reference, boiling_k):
    return (f"{alternative.name()} ({alternative.citation}) gives "
            f"{percent(alternative.torr(ROOM_K) / reference.torr(ROOM_K))} at 25 C and reaches 760 torr "
            f"{alternative.antoine.boiling_k() - boiling_k:+.2f} K from the boiling point")


def why_not_evidence(alternative, boiling_k):
    """Why a set cannot stand for the vapor at the temperatures of use, or None when it can: it must give
    the normal boiling point within the band the library holds its own constants to, and its equation
    must hold over the span the constants are fitted to (A - B / (T + C) has a pole at T = -C)."""
    miss = alternative.antoine.boiling_k() - boiling_k
    if abs(miss) > MAX_BOILING_ERROR_K:
        return f"reaches 760 torr {miss:+.2f} K from the boiling point"
    if -alternative.antoine.c >= FIT_LOW_K:
        return f"its equation breaks down at {-alternative.antoine.c:g} K, inside the fitted span"
    return None


def sets(count):
    return f"{count} other set{'s' * (count > 1)}"


@dataclass
class Comparison:
    """A vapor's correlations at its temperatures of use."""
    reference: Correlation
    boiling_k: float
    temperatures: list
    others: list  # the second sources
    evidence: list  # those of them that can stand for the vapor

    @classmethod
    def of(cls, reference, alternatives, boiling_k):
        temperatures = temperatures_of_use(reference, boiling_k)
        others = [a for a in alternatives if is_second_source(a, reference, temperatures)]
        return cls(reference, boiling_k, temperatures, others,
                   [a for a in others if why_not_evidence(a, boiling_k) is None])

    @property
    def measured(self):
        return [self.reference] + self.evidence

    @property
    def outside(self):
        return [k for k in self.temperatures if not self.reference.covers(k)]

    def room_measured(self):
        return any(c.covers(ROOM_K) for c in self.measured)

    def shortfall(self, candidate):
        """How far the candidate falls below the measured sets, as the largest ratio of one to it."""
        return max((most_above(c, candidate.torr, self.temperatures) for c in self.measured if c is not candidate),
                   default=0)

    def needs_replacing(self):
        more = 1 + MAX_DISAGREEMENT
        stretched_short = self.outside and not self.room_measured() and any(
            a.torr(ROOM_K) > more * self.reference.torr(ROOM_K) for a in self.evidence)
        return self.shortfall(self.reference) > more or stretched_short

    def replacement(self):
        """The set to follow instead of the reference's, or the reference's where none gives at least its
        pressure throughout 0-40 C. A set measured at 25 C outranks one measured elsewhere in 0-40 C.
        Where none of those lies within 3 % of every measured set, the nearest is taken and raised to
        them where it falls short (see raised_points). A set stretched into 0-40 C from far above comes
        in only where no set is measured there."""
        higher = [a for a in self.evidence if all(a.torr(k) >= self.reference.torr(k) for k in self.temperatures)]
        in_use = [a for a in higher if any(a.covers(k) for k in self.temperatures)]
        fitting = [a for a in in_use if self.shortfall(a) <= 1 + MAX_DISAGREEMENT]
        if fitting:
            return max([a for a in fitting if a.covers(ROOM_K)] or fitting, key=lambda a: a.torr(ROOM_K))
        if in_use:
            return min([a for a in in_use if a.covers(ROOM_K)] or in_use, key=self.shortfall)
        return max(higher, key=lambda a: a.torr(ROOM_K), default=self.reference)


def choose_correlation(reference, alternatives, boiling_k):
    """Which correlation the constants follow. A correlation counts as its source measured it, not as
    stretched beyond its range. The reference's is replaced where a set measured at a temperature of
    use gives more than 3 % above it there, or where it is stretched, none covers 25 C and another set
    gives more than 3 % above it at 25 C. It is replaced by the set with the highest pressure at 25 C
    (the shorter life) among those that lie nowhere more than 3 % below a set measured at a
    temperature of use, preferring a set measured at 25 C, then one measured in 0-40 C. Only a set
    that gives at least the reference's pressure at every temperature of use is taken. A set that
    misses the boiling point or breaks down in the fitted span is no evidence and is set aside."""
    comparison = Comparison.of(reference, alternatives, boiling_k)
    used = comparison.replacement() if comparison.needs_replacing() else reference
    choice = Choice(used, reference, [c for c in comparison.measured if c is not used])
    outside = comparison.outside
    if outside:
        choice.stretched = (outside[0], outside[-1])
    explain(choice, comparison)
    return choice


def explain(choice, comparison):
    """The choice's verdict for the README and, where a choice was made, its reason for corrections.csv."""
    reference, used, others, more = choice.reference, choice.used, comparison.others, 1 + MAX_DISAGREEMENT
    disagreeing = [a for a in others if max(abs(a.torr(k) / reference.torr(k) - 1)
                                            for k in comparison.temperatures) > MAX_DISAGREEMENT]
    set_aside = [a for a in others
                 if a not in comparison.evidence and most_above(a, used.torr, comparison.temperatures) > more]
    raised = comparison.shortfall(used) > more
    if used is reference and not raised and not set_aside and not (choice.stretched and disagreeing):
        if choice.stretched:
            choice.verdict = f"agrees within 3 % with {sets(len(others))}" if others else "single source, extrapolated"
        return

    notes = []
    if choice.stretched:
        notes.append(f"the reference's {reference.name()} is extrapolated to {kelvin_span(choice.stretched)} K")
    notes += [described(a, reference, comparison.boiling_k)
              for a in disagreeing + [a for a in set_aside if a not in disagreeing]]
    if used is not reference:
        notes.append(("a set measured at a temperature of use gives more than 3 % above the reference's there, "
                      if comparison.shortfall(reference) > more else
                      "no set that can stand for the vapor is measured at 25 C, ")
                     + (f"and no set measured in 0-40 C lies within 3 % of every other, so the nearest, "
                        f"{used.name()}, is used, raised to the others where it lies more than 3 % below one"
                        if raised else
                        "so of the sets that lie nowhere more than 3 % below a measured one, and measured as "
                        f"near 25 C as any, the one with the highest pressure at 25 C is used: {used.name()}"))
        choice.verdict = f"{used.name()} used, {percent(used.torr(ROOM_K) / reference.torr(ROOM_K))} at 25 C"
    elif raised:
        notes.append("the reference's is kept, raised to the measured sets where it lies more than 3 % below one: "
                     "no set that can stand for the vapor gives at least its pressure throughout 0-40 C")
        choice.verdict = "kept" + (f", compared with {sets(len(others))}" if choice.stretched else "")
        choice.verdict += ", raised where a measured set lies more than 3 % above it"
    else:
        why = ("it is measured at 25 C" if reference.covers(ROOM_K)
               else "a set measured at 25 C agrees with it" if comparison.room_measured()
               else "it gives the highest pressure at 25 C")
        notes.append(f"the reference's is kept: {why}, and no set measured at a temperature of use gives more "
                     f"than 3 % above it; a lower pressure is never taken")
        choice.verdict = "kept" + (f", compared with {sets(len(others))}" if choice.stretched else "")
    if set_aside:
        notes.append("set aside as no evidence: " + ", ".join(
            f"{a.name()} ({a.citation}: {why_not_evidence(a, comparison.boiling_k)})" for a in set_aside))
        choice.verdict += f"; {len(set_aside)} higher set{'s' * (len(set_aside) > 1)} set aside"
    choice.reason = "; ".join(notes)


def raised_points(choice, boiling_k):
    """The points of the correlation used, each raised to the highest measured set where it lies more
    than 3 % below one: two measured sets that cross may leave no single one within 3 % of both."""
    points, raised = [], []
    for p in choice.used.points:
        if p.kelvin not in temperatures_of_use(choice.reference, boiling_k):
            points.append(p)
            continue
        above = [c.torr(p.kelvin) for c in choice.checked_against if c.covers(p.kelvin)]
        torr = max(above, default=p.torr)
        if torr > (1 + MAX_DISAGREEMENT) * p.torr:
            points.append(Point(p.kelvin, torr, p.in_range, p.line))
            raised.append(p.kelvin)
        else:
            points.append(p)
    note = (f"raised to the highest measured set at {', '.join(f'{k:g}' for k in raised)} K, where "
            f"{choice.used.name()} lies more than 3 % below it") if raised else None
    return points, note


def covering_shortfall(constants, choice, boiling_k):
    """The largest shortfall of the shipped pressure below a set measured at a temperature of use."""
    temperatures = temperatures_of_use(choice.reference, boiling_k)
    ratios = [(most_above(c, constants.torr, temperatures), c) for c in choice.checked_against]
    return max(ratios, key=lambda r: r[0], default=(0, None))


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


def library_row(props, choice):
    boiling_k = float(props["normalBoilingPointK"])
    used = choice.used
    points, raised = raised_points(choice, boiling_k)
    fit = fit_for_use(points, boiling_k)
    error, at = worst_pressure_error(fit.constants, checked_points(points, boiling_k))
    if error > MAX_PRESSURE_ERROR:
        raise LeftOut(f"the fitted constants miss the reference by {error:.1%} at {at.kelvin} K")
    boiling_miss = fit.constants.boiling_k() - boiling_k
    if abs(boiling_miss) > MAX_BOILING_ERROR_K:
        raise LeftOut(f"the fitted constants boil {boiling_miss:+.2f} K from the boiling point")
    shortfall, above = covering_shortfall(fit.constants, choice, boiling_k)
    if shortfall > 1 + MAX_DISAGREEMENT:
        raise LeftOut(f"the fitted constants lie {percent(shortfall)} below {above.name()}, measured there")
    mol_wt, density = float(props["molWt"]), float(props["liqDensity20"])
    refraction = molar_refraction(float(props["refractiveIndex20"]), mol_wt, density)
    source = (f"properties.csv line {props['line']}; {used.citation} ({used.label}), fitted to the "
              f"{len(fit.points)} points from {fit.points[0].kelvin} to {fit.points[-1].kelvin} K")
    notes = list(fit.notes) + ([raised] if raised else [])
    if choice.line is not None:
        replaced = used is not choice.reference
        notes.append((f"{used.name()} instead of the reference's {choice.reference.name()}" if replaced
                      else f"the reference's {used.name()}, kept after comparison with the other sets")
                     + f" (corrections.csv line {choice.line})")
    for note in notes + props.get("corrections", []):
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
        "correlation": used.label,
        "correlationTminK": f"{used.low_k:g}",
        "correlationTmaxK": f"{used.high_k:g}",
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


@dataclass
class Library:
    rows: list
    corrections: list  # every row of corrections.csv, the hand-made ones first
    choices: list  # (name, Choice) of every vapor whose correlation is stretched or was replaced
    left_out: list
    errors: dict
    costs: dict


def choices_of(properties, points_by_cas, alternatives_by_cas, first_line):
    """The correlation of every vapor with points, numbering the choices that corrections.csv records
    from its line first_line on."""
    choices, line = {}, first_line
    for props in properties:
        if props["cas"] not in points_by_cas:
            continue
        points, label = points_by_cas[props["cas"]]
        choice = choose_correlation(reference_correlation(props, points, label),
                                    alternatives_by_cas.get(props["cas"], []), float(props["normalBoilingPointK"]))
        if choice.reason is not None:
            choice.line, line = line, line + 1
        choices[props["cas"]] = choice
    return choices


def build(reference=REFERENCE, corrections=CORRECTIONS):
    properties = read_table(reference / "properties.csv")
    by_hand = [fix for fix in read_table(corrections) if fix["column"] != CORRELATION_CHOICE]
    apply_corrections(properties, by_hand)
    points_by_cas = pressure_points(read_table(reference / "vapor-pressure.csv"))
    choices = choices_of(properties, points_by_cas,
                         alternative_correlations(read_table(reference / "antoine-alternatives.csv")),
                         first_line=len(by_hand) + 2)
    library = Library([], [{k: fix[k] for k in CORRECTION_COLUMNS} for fix in by_hand], [], [], {}, {})
    for props in properties:
        try:
            if props["cas"] not in points_by_cas:
                raise LeftOut("no vapor pressure points")
            choice = choices[props["cas"]]
            row, library.errors[props["name"]], library.costs[props["name"]] = library_row(props, choice)
            library.rows.append(row)
        except LeftOut as reason:
            library.left_out.append((props["name"], str(reason)))
            continue
        if choice.reason is not None:
            library.corrections.append({
                "cas": props["cas"], "name": props["name"], "column": CORRELATION_CHOICE,
                "reference": choice.reference.name(),
                "corrected": choice.used.name()
                + ("" if choice.used is choice.reference else f" ({choice.used.citation})"),
                "reason": choice.reason})
        if choice.verdict is not None:
            library.choices.append((props["name"], choice))
    # The order a user's list shows: names upper-cased, as the record file's index sorts them.
    library.rows.sort(key=lambda row: row["chemName"].strip().upper())
    return library


def csv_text(rows, columns=COLUMNS):
    out = io.StringIO()
    writer = csv.DictWriter(out, fieldnames=columns, lineterminator="\n")
    writer.writeheader()
    writer.writerows(rows)
    return out.getvalue()


def readme_block(choices):
    """The README's table of the vapors whose reference correlation is used outside its stated range."""
    lines = [README_BEGIN, "",
             "| vapor | reference's correlation | extrapolated to (K) | what the comparison found |",
             "| --- | --- | --- | --- |"]
    for name, choice in sorted(choices, key=lambda item: item[0].upper()):
        stretched = "-" if choice.stretched is None else kelvin_span(choice.stretched)
        lines.append(f"| {name} | {choice.reference.name()} | {stretched} | {choice.verdict} |")
    return "\n".join(lines + ["", README_END])


def with_readme_block(readme, block):
    begin, end = readme.find(README_BEGIN), readme.find(README_END)
    if begin < 0 or end < begin:
        raise SystemExit(f"{README} has no {README_BEGIN} ... {README_END} block")
    return readme[:begin] + block + readme[end + len(README_END):]


def first_difference(built, kept):
    built, kept = built.splitlines(), kept.splitlines()
    return [i + 1 for i in range(max(len(built), len(kept)))
            if i >= len(built) or i >= len(kept) or built[i] != kept[i]][:10]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the committed files instead of writing them")
    parser.add_argument("--library", type=Path, default=LIBRARY, help="the library CSV (data/vapors.csv)")
    args = parser.parse_args()

    library = build()
    outputs = {
        args.library: csv_text(library.rows),
        CORRECTIONS: csv_text(library.corrections, CORRECTION_COLUMNS),
        README: with_readme_block(README.read_text(encoding="utf-8"), readme_block(library.choices)),
    }
    if args.check:
        stale = 0
        for path, text in outputs.items():
            committed = path.read_text(encoding="utf-8") if path.exists() else ""
            if committed != text:
                print(f"{path} is not what the reference builds: lines {first_difference(text, committed)} "
                      f"differ; run python3 data/build_library.py", file=sys.stderr)
                stale += 1
        return 1 if stale else 0
    for path, text in outputs.items():
        path.write_text(text, encoding="utf-8")
    worst = max(library.errors, key=library.errors.get)
    costliest = max(library.costs, key=library.costs.get)
    print(f"{len(library.rows)} vapors written to {args.library}")
    print(f"worst fit: {worst}, {library.errors[worst]:.3%} off the reference")
    print(f"largest cost of rounding to {FIELD_WIDTH} characters: {costliest}, "
          f"{math.expm1(library.costs[costliest]):.5%} in the vapor pressure")
    for name, choice in library.choices:
        print(f"correlation: {name}: {choice.verdict}")
    for name, reason in library.left_out:
        print(f"left out: {name}: {reason}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
