#!/usr/bin/env python3
"""How close the estimates come to published cartridge measurements.

Calibrates one generic carbon on the aromatic hydrocarbons of the measurement set, predicts every
measured vapor that the shipped vapor library holds through quandrelle-calc, and writes
docs/validation.md, its chart and data/validation/summary.json.

    python3 scripts/validate.py [--calc PROGRAM]           # rewrite the page, summary, README line
    python3 scripts/validate.py [--calc PROGRAM] --check   # compare with the committed summary

--check writes nothing; it exits with 1 when a summary figure has moved beyond its tolerance (the
engine or the library changed the accuracy: rerun without --check, read the page, commit both).
Python 3 standard library only.
"""

from __future__ import annotations

import argparse
import concurrent.futures
import csv
import json
import math
import statistics
import subprocess
import sys
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
MEASUREMENTS = ROOT / "data" / "validation" / "single-vapor-1000ppm.csv"
LIBRARY = ROOT / "data" / "vapors.csv"
SUMMARY = ROOT / "data" / "validation" / "summary.json"
PAGE = ROOT / "docs" / "validation.md"
README = ROOT / "README.md"
README_START = "<!-- measured-accuracy: written by scripts/validate.py -->\n"
README_END = "<!-- end measured-accuracy -->"
CHART = ROOT / "docs" / "validation-chart.svg"
DEFAULT_CALC = ROOT / "build" / "bin" / "quandrelle-calc"

# The conditions of every published measurement.
CONCENTRATION_PPM = 1000
CONDITIONS = {"temperature": 22, "pressure": 1.0, "relHumidity": 50, "cartridges": 2, "airFlow": 53.3}


@dataclass(frozen=True)
class Fraction:
    key: str  # column suffix in the measurement file
    caption: str
    break_ppm: float


FRACTIONS = (Fraction("1pct", "1 %", 10), Fraction("10pct", "10 %", 100))

# The cartridge of the comparison, apart from the two carbon parameters that are fitted. The 26 g is
# what the table model assumed; 8 cm by 1.15 cm gives that carbon a packed density of 0.45 g/cm3.
GENERIC_CARTRIDGE = {
    "name": "Generic carbon",
    "bedDiameter": 8.0,
    "bedDepth": 1.15,
    "carbonWeight": 26.0,
    "precondRH": 50,
    "granuleDiameter": 0.12,
    "waterAffinity": 0.06,
}
CALIBRATION_FAMILY = "aromatic"
# The fit stays inside these. The real cartridges held 25-40 g of carbon against the generic 26 g, so
# the generic micropore volume stands for the pore volume of the whole bed: a carbon of 0.3-0.6
# cm3/g in 40 g reads as up to 0.9 cm3/g in 26 g.
MICROPORE_BOUNDS = (0.30, 0.90)  # cm3/g; the cartridge screen allows 0.1-1.0
POTENTIAL_BOUNDS = (15.0, 25.0)  # kJ/mol; the cartridge screen allows 1-100
# The fitted values are kept to the digits a user would type on the cartridge screen.
MICROPORE_DECIMALS = 3
POTENTIAL_DECIMALS = 1

# An estimate this much too long (percent) is named in the summary: the unsafe direction.
TOO_LONG_PCT = 25

# How far a summary figure may move before --check fails.
TOLERANCE = {"pct": 1.0, "count": 1, "microporeVolume": 0.01, "benzenePotential": 0.3}


@dataclass(frozen=True)
class Carbon:
    micropore_volume: float  # cm3/g
    benzene_potential: float  # kJ/mol


@dataclass(frozen=True)
class Case:
    name: str
    cas: str
    family: str
    measured: dict[str, float]  # by fraction key, min
    table_model: dict[str, float]
    vapor: dict[str, str] | None  # the library's record fields; None when the library lacks the vapor


@dataclass(frozen=True)
class Estimate:
    time: float  # min
    low: int  # the range as the results screen shows it, min
    high: int


class CalcFailed(RuntimeError):
    pass


def read_cases(measurements: Path = MEASUREMENTS, library: Path = LIBRARY) -> list[Case]:
    """The measured vapors in file order, each with its library record when the library holds it."""
    with library.open(encoding="utf-8", newline="") as f:
        by_cas = {row["casNumber"].strip(): row for row in csv.DictReader(f)}
    cases = []
    with measurements.open(encoding="utf-8", newline="") as f:
        for row in csv.DictReader(f):
            cases.append(
                Case(
                    name=row["name"],
                    cas=row["cas"],
                    family=row["family"],
                    measured={fr.key: float(row[f"measured_{fr.key}_min"]) for fr in FRACTIONS},
                    table_model={fr.key: float(row[f"table_model_{fr.key}_min"]) for fr in FRACTIONS},
                    vapor=by_cas.get(row["cas"]),
                )
            )
    return cases


class Calculator:
    """Runs quandrelle-calc, one vapor at a time, remembering every answer."""

    def __init__(self, program: Path, workers: int = 2):
        self._program = str(program)
        self._workers = workers
        self._answers: dict[str, Estimate] = {}

    @staticmethod
    def scenario(carbon: Carbon, vapor: dict[str, str], break_ppm: float) -> str:
        cartridge = dict(GENERIC_CARTRIDGE)
        cartridge["microporeVolume"] = carbon.micropore_volume
        cartridge["benzenePotential"] = carbon.benzene_potential
        fields = ("molWt", "liqDensity", "molPolariz", "waterSolFactor", "antoineA", "antoineB", "antoineC")
        entry = {"name": vapor["chemName"], "cas": vapor["casNumber"]}
        entry.update({field: float(vapor[field]) for field in fields})
        entry.update({"concentration": CONCENTRATION_PPM, "breakConc": break_ppm})
        scenario = {"cartridge": cartridge, "conditions": CONDITIONS, "vapors": [entry]}
        return json.dumps(scenario, sort_keys=True)

    def run(self, scenario: str) -> Estimate:
        if scenario not in self._answers:
            done = subprocess.run(
                [self._program, "-", "--json"], input=scenario, capture_output=True, text=True, check=False
            )
            if done.returncode != 0:
                raise CalcFailed(f"quandrelle-calc exit {done.returncode}: {done.stderr.strip()}\n{scenario}")
            result = json.loads(done.stdout)["results"][0]
            shown = result["display"]
            self._answers[scenario] = Estimate(
                result["breakthroughTime"], int(shown["min"]), int(shown["max"])
            )
        return self._answers[scenario]

    def estimates(self, carbon: Carbon, cases: list[Case]) -> dict[tuple[str, str], Estimate]:
        """Every fraction of every case, keyed by (cas, fraction key)."""
        keys = [(case.cas, fr.key) for case in cases for fr in FRACTIONS]
        scenarios = [self.scenario(carbon, case.vapor, fr.break_ppm) for case in cases for fr in FRACTIONS]
        with concurrent.futures.ThreadPoolExecutor(self._workers) as pool:
            return dict(zip(keys, pool.map(self.run, scenarios)))


# --- Calibration ---------------------------------------------------------------------------------

# A predicted time of 0 would make the logarithm fail; half a time step stands in for it.
SHORTEST_TIME = 0.05


def log_residuals(cases: list[Case], estimates: dict[tuple[str, str], Estimate]) -> list[float]:
    """ln(predicted / measured) for every measured time above 0."""
    residuals = []
    for case in cases:
        for fr in FRACTIONS:
            measured = case.measured[fr.key]
            if measured > 0:
                predicted = max(estimates[(case.cas, fr.key)].time, SHORTEST_TIME)
                residuals.append(math.log(predicted / measured))
    return residuals


def least_squares_carbon(residuals_at, start: Carbon, max_steps: int = 40) -> Carbon:
    """The carbon within the bounds that minimises the sum of squared residuals.

    Levenberg-Marquardt on (ln micropore volume, adsorption potential): the times grow almost in
    proportion to the micropore volume, so its logarithm keeps the problem close to linear.
    """
    u_bounds = (math.log(MICROPORE_BOUNDS[0]), math.log(MICROPORE_BOUNDS[1]))

    def carbon(u: float, e: float) -> Carbon:
        return Carbon(math.exp(u), e)

    def clamp(value: float, bounds: tuple[float, float]) -> float:
        return min(max(value, bounds[0]), bounds[1])

    u_step, e_step = 0.01, 0.1
    u, e = math.log(start.micropore_volume), start.benzene_potential
    r = residuals_at(carbon(u, e))
    cost = sum(x * x for x in r)
    damping = 1e-3
    for _ in range(max_steps):
        ju = [(a - b) / u_step for a, b in zip(residuals_at(carbon(u + u_step, e)), r)]
        je = [(a - b) / e_step for a, b in zip(residuals_at(carbon(u, e + e_step)), r)]
        a11 = sum(x * x for x in ju)
        a12 = sum(x * y for x, y in zip(ju, je))
        a22 = sum(y * y for y in je)
        g1 = sum(x * y for x, y in zip(ju, r))
        g2 = sum(x * y for x, y in zip(je, r))
        improved = False
        while damping < 1e6:
            d11, d22 = a11 * (1 + damping), a22 * (1 + damping)
            det = d11 * d22 - a12 * a12
            if det <= 0:  # the residuals do not move with one of the two parameters
                break
            du = -(d22 * g1 - a12 * g2) / det
            de = -(d11 * g2 - a12 * g1) / det
            nu, ne = clamp(u + du, u_bounds), clamp(e + de, POTENTIAL_BOUNDS)
            trial = residuals_at(carbon(nu, ne))
            trial_cost = sum(x * x for x in trial)
            if trial_cost < cost:
                moved = abs(nu - u) > 1e-5 or abs(ne - e) > 1e-4
                u, e, r, cost = nu, ne, trial, trial_cost
                damping = max(damping / 10, 1e-7)
                improved = moved
                break
            damping *= 10
        if not improved:
            break
    return carbon(u, e)


def rounded(carbon: Carbon) -> Carbon:
    return Carbon(
        round(carbon.micropore_volume, MICROPORE_DECIMALS),
        round(carbon.benzene_potential, POTENTIAL_DECIMALS),
    )


def calibrate(calc: Calculator, cases: list[Case]) -> Carbon:
    start = Carbon(sum(MICROPORE_BOUNDS) / 2, sum(POTENTIAL_BOUNDS) / 2)
    fitted = least_squares_carbon(lambda carbon: log_residuals(cases, calc.estimates(carbon, cases)), start)
    return rounded(fitted)


# --- Figures -------------------------------------------------------------------------------------


def relative_error(predicted: float, measured: float) -> float | None:
    """(predicted - measured) / measured in percent; none for a measured time of 0."""
    return None if measured == 0 else (predicted - measured) / measured * 100


def inside_range(estimate: Estimate, measured: float) -> bool:
    return estimate.low <= measured <= estimate.high


def median_abs(errors: list[float | None]) -> float | None:
    values = [abs(e) for e in errors if e is not None]
    return statistics.median(values) if values else None


@dataclass
class Comparison:
    carbon: Carbon
    calibration: list[Case]
    predicted: list[Case]  # in the library, not in the calibration set
    missing: list[Case]  # not in the library
    estimates: dict[tuple[str, str], Estimate]  # every library vapor with the calibrated carbon
    left_out: dict[tuple[str, str], Estimate]  # each calibration vapor from a fit on the others
    left_out_carbons: dict[str, Carbon]


def compare(calc: Calculator, cases: list[Case]) -> Comparison:
    in_library = [c for c in cases if c.vapor is not None]
    calibration = [c for c in in_library if c.family == CALIBRATION_FAMILY]
    carbon = calibrate(calc, calibration)
    left_out, left_out_carbons = {}, {}
    for case in calibration:
        others = [c for c in calibration if c is not case]
        left_out_carbons[case.cas] = calibrate(calc, others)
        left_out.update(calc.estimates(left_out_carbons[case.cas], [case]))
    return Comparison(
        carbon=carbon,
        calibration=calibration,
        predicted=[c for c in in_library if c.family != CALIBRATION_FAMILY],
        missing=[c for c in cases if c.vapor is None],
        estimates=calc.estimates(carbon, in_library),
        left_out=left_out,
        left_out_carbons=left_out_carbons,
    )


def out_of_sample(cmp: Comparison, case: Case, fr: Fraction) -> Estimate:
    """The estimate of a vapor that did not take part in the fit that made it."""
    table = cmp.left_out if case in cmp.calibration else cmp.estimates
    return table[(case.cas, fr.key)]


def worst_case(cmp: Comparison, fr: Fraction) -> Case:
    """The vapor whose estimate made without its own data is furthest from the measurement."""
    return max(
        (c for c in cmp.calibration + cmp.predicted if c.measured[fr.key] > 0),
        key=lambda c: abs(relative_error(out_of_sample(cmp, c, fr).time, c.measured[fr.key])),
    )


def worst_error(cmp: Comparison, fr: Fraction) -> float:
    case = worst_case(cmp, fr)
    return relative_error(out_of_sample(cmp, case, fr).time, case.measured[fr.key])


def rounded_pct(value: float | None) -> float | None:
    return None if value is None else round(value, 1)


def median_abs_pct(errors: list[float | None]) -> float | None:
    return rounded_pct(median_abs(errors))


def fraction_summary(cmp: Comparison, fr: Fraction) -> dict:
    def model_errors(cases, source):
        return [relative_error(source(c).time, c.measured[fr.key]) for c in cases]

    def table_errors(cases):
        return [relative_error(c.table_model[fr.key], c.measured[fr.key]) for c in cases]

    everyone = cmp.calibration + cmp.predicted
    fitted = lambda c: cmp.estimates[(c.cas, fr.key)]  # noqa: E731
    tested = lambda c: out_of_sample(cmp, c, fr)  # noqa: E731
    worst = worst_case(cmp, fr)
    by_family = {}
    for family in sorted({c.family for c in everyone}):
        members = [c for c in everyone if c.family == family]
        errors = [e for e in model_errors(members, tested) if e is not None]
        by_family[family] = {
            "too_long_count": sum(e > 0 for e in errors),
            "too_short_count": sum(e < 0 for e in errors),
            "median_signed_error_pct": rounded_pct(statistics.median(errors)),
        }
    too_long = [
        c.name for c in everyone if (relative_error(tested(c).time, c.measured[fr.key]) or 0) > TOO_LONG_PCT
    ]
    return {
        "median_abs_error_pct": median_abs_pct(model_errors(everyone, tested)),
        "table_model_median_abs_error_pct": median_abs_pct(table_errors(everyone)),
        "predicted_family_median_abs_error_pct": median_abs_pct(model_errors(cmp.predicted, fitted)),
        "calibration_fit_median_abs_error_pct": median_abs_pct(model_errors(cmp.calibration, fitted)),
        "left_out_median_abs_error_pct": median_abs_pct(model_errors(cmp.calibration, tested)),
        "inside_range_count": sum(inside_range(fitted(c), c.measured[fr.key]) for c in everyone),
        "compared_count": len(everyone),
        "with_error_count": sum(c.measured[fr.key] > 0 for c in everyone),
        "too_long": too_long,
        "worst": {"name": worst.name, "error_pct": rounded_pct(worst_error(cmp, fr))},
        "by_family": by_family,
    }


def summarize(cmp: Comparison) -> dict:
    return {
        "carbon": {
            "microporeVolume": cmp.carbon.micropore_volume,
            "benzenePotential": cmp.carbon.benzene_potential,
        },
        "calibration": [c.name for c in cmp.calibration],
        "predicted": [c.name for c in cmp.predicted],
        "fractions": {fr.key: fraction_summary(cmp, fr) for fr in FRACTIONS},
    }


# --- The check -----------------------------------------------------------------------------------


def _tolerance_for(key: str) -> float | None:
    if key.endswith("_pct"):
        return TOLERANCE["pct"]
    if key.endswith("_count"):
        return TOLERANCE["count"]
    return TOLERANCE.get(key)


def moved_figures(expected, actual, path: str = "") -> list[str]:
    """Every figure of `actual` that differs from `expected` by more than its tolerance."""
    if isinstance(expected, dict) and isinstance(actual, dict):
        problems = []
        for key in sorted(expected.keys() | actual.keys()):
            where = f"{path}.{key}" if path else key
            if key not in expected or key not in actual:
                problems.append(f"{where}: only in the {'committed' if key in expected else 'new'} summary")
            else:
                problems += moved_figures(expected[key], actual[key], where)
        return problems
    key = path.rsplit(".", 1)[-1]
    tolerance = _tolerance_for(key)
    numbers = all(isinstance(v, (int, float)) and not isinstance(v, bool) for v in (expected, actual))
    if tolerance is not None and numbers:
        if abs(actual - expected) > tolerance + 1e-9:
            return [f"{path}: {expected} committed, now {actual} (tolerance {tolerance})"]
        return []
    return [] if expected == actual else [f"{path}: {expected!r} committed, now {actual!r}"]


# --- The page and its chart ----------------------------------------------------------------------


def pct_text(value: float | None) -> str:
    """A signed whole percentage; one that rounds to 0 has no sign."""
    if value is None:
        return "n/a"
    whole = round(value)
    return f"{whole:+d} %" if whole else "0 %"


def abs_pct_text(value: float | None) -> str:
    return "n/a" if value is None else f"{value:.0f} %"


def minutes_text(value: float) -> str:
    return f"{value:g}"


CALIBRATION_COLOUR = "#1f5fa8"
PREDICTED_COLOUR = "#d4572a"


def marker(fr: Fraction, cx: float, cy: float, colour: str, title: str = "") -> str:
    """A filled circle for 10 % breakthrough, an open square for 1 %."""
    tip = f"<title>{title}</title>" if title else ""
    if fr.key == "10pct":
        return f'<circle cx="{cx:.1f}" cy="{cy:.1f}" r="4.5" fill="{colour}">{tip}</circle>'
    return (
        f'<rect x="{cx - 4:.1f}" y="{cy - 4:.1f}" width="8" height="8" fill="none" stroke="{colour}" '
        f'stroke-width="1.5">{tip}</rect>'
    )


def chart_svg(cmp: Comparison) -> str:
    """Predicted against measured times of every library vapor, with the line of equality."""
    points = [
        (case.measured[fr.key], cmp.estimates[(case.cas, fr.key)].time, case, fr)
        for case in cmp.calibration + cmp.predicted
        for fr in FRACTIONS
    ]
    top = 20 * math.ceil(max(max(m, p) for m, p, _, _ in points) / 20)
    size, margin = 420, 56
    scale = (size - 2 * margin) / top

    def x(v):
        return margin + v * scale

    def y(v):
        return size - margin - v * scale

    def line(x1, y1, x2, y2, style):
        return f'<line x1="{x1:.1f}" y1="{y1:.1f}" x2="{x2:.1f}" y2="{y2:.1f}" {style}/>'

    out = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
        f'viewBox="0 0 {size} {size}" font-family="sans-serif" font-size="11">',
        f'<rect width="{size}" height="{size}" fill="white"/>',
    ]
    for tick in range(0, top + 1, 20):
        out.append(line(x(tick), y(0), x(tick), y(top), 'stroke="#e4e4e4"'))
        out.append(line(x(0), y(tick), x(top), y(tick), 'stroke="#e4e4e4"'))
        out.append(f'<text x="{x(tick):.1f}" y="{y(0) + 16:.1f}" text-anchor="middle">{tick}</text>')
        out.append(f'<text x="{x(0) - 6:.1f}" y="{y(tick) + 4:.1f}" text-anchor="end">{tick}</text>')
    equality = 'stroke="#555" stroke-dasharray="5,4"'
    out.append(line(x(0), y(0), x(top), y(top), equality))
    out.append(f'<text x="{size / 2:.1f}" y="{size - 14}" text-anchor="middle">measured (min)</text>')
    out.append(
        f'<text x="16" y="{size / 2:.1f}" text-anchor="middle" transform="rotate(-90 16 {size / 2:.1f})">'
        "predicted (min)</text>"
    )
    for measured, predicted, case, fr in points:
        colour = CALIBRATION_COLOUR if case in cmp.calibration else PREDICTED_COLOUR
        out.append(marker(fr, x(measured), y(predicted), colour, f"{case.name}, {fr.caption}"))
    legend = [
        (colour, fr, f"{family}, {fr.caption} ({role})")
        for colour, family, role in (
            (CALIBRATION_COLOUR, "aromatics", "calibration"),
            (PREDICTED_COLOUR, "alcohols", "predicted"),
        )
        for fr in reversed(FRACTIONS)
    ]
    for row, (colour, fr, text) in enumerate(legend):
        lx, ly = margin + 10, margin + 10 + row * 16
        out.append(marker(fr, lx, ly, colour))
        out.append(f'<text x="{lx + 10}" y="{ly + 4}">{text}</text>')
    ly = margin + 10 + len(legend) * 16
    out.append(line(margin + 3, ly, margin + 17, ly, equality))
    out.append(f'<text x="{margin + 20}" y="{ly + 4}">predicted = measured</text>')
    out.append("</svg>")
    return "\n".join(out) + "\n"


def results_table(cmp: Comparison, fr: Fraction) -> list[str]:
    lines = [
        "| Vapor | Role | Measured (min) | Predicted (min) | Range (min) | Error | Table-model error |",
        "|---|---|---:|---:|---:|---:|---:|",
    ]
    for case in cmp.calibration + cmp.predicted:
        estimate = cmp.estimates[(case.cas, fr.key)]
        measured = case.measured[fr.key]
        role = "calibration" if case in cmp.calibration else "predicted"
        inside = "" if inside_range(estimate, measured) else " (outside)"
        lines.append(
            f"| {case.name} | {role} | {minutes_text(measured)} | {estimate.time:.1f} | "
            f"{estimate.low}-{estimate.high}{inside} | {pct_text(relative_error(estimate.time, measured))} | "
            f"{pct_text(relative_error(case.table_model[fr.key], measured))} |"
        )
    return lines


def left_out_table(cmp: Comparison) -> list[str]:
    lines = [
        "| Vapor left out | Carbon fitted on the others | 1 % predicted (error) "
        "| 10 % predicted (error) |",
        "|---|---|---:|---:|",
    ]
    for case in cmp.calibration:
        carbon = cmp.left_out_carbons[case.cas]
        cells = []
        for fr in FRACTIONS:
            estimate = cmp.left_out[(case.cas, fr.key)]
            error = relative_error(estimate.time, case.measured[fr.key])
            cells.append(f"{estimate.time:.1f} ({pct_text(error)})")
        lines.append(
            f"| {case.name} | {carbon.micropore_volume:g} cm3/g, {carbon.benzene_potential:g} kJ/mol | "
            + " | ".join(cells)
            + " |"
        )
    return lines


def family_sentence(summary: dict, family: str) -> str:
    parts = []
    for fr in FRACTIONS:
        figures = summary["fractions"][fr.key]["by_family"][family]
        parts.append(
            f"at {fr.caption} {figures['too_long_count']} too long and "
            f"{figures['too_short_count']} too short (median {pct_text(figures['median_signed_error_pct'])})"
        )
    return "; ".join(parts)


def too_long_text(summary: dict) -> str:
    """The vapors estimated too long beyond TOO_LONG_PCT, with their errors; empty when none."""
    errors: dict[str, list[str]] = {}
    for fr in FRACTIONS:
        figures = summary["fractions"][fr.key]
        for name in figures["too_long"]:
            errors.setdefault(name, []).append(fr.caption)
    named = [f"{name} (at {' and '.join(captions)})" for name, captions in errors.items()]
    return " and ".join(filter(None, [", ".join(named[:-1]), named[-1] if named else ""]))


def headline(summary: dict) -> str:
    """One sentence for the README."""
    f10, f1 = summary["fractions"]["10pct"], summary["fractions"]["1pct"]
    long_ones = too_long_text(summary)
    warning = ""
    if long_ones:
        warning = f"; {long_ones} came out more than {TOO_LONG_PCT} % too long, the unsafe direction"
    return (
        f"Against published measurements of {f10['compared_count']} single vapors at one test condition, "
        f"with a generic carbon fitted to the aromatics among them and each estimate made without that "
        f"vapor's own data, the median error was {abs_pct_text(f10['median_abs_error_pct'])} at 10 % "
        f"breakthrough and {abs_pct_text(f1['median_abs_error_pct'])} at 1 % (a simple published table "
        f"model: {abs_pct_text(f10['table_model_median_abs_error_pct'])} and "
        f"{abs_pct_text(f1['table_model_median_abs_error_pct'])}){warning}."
    )


def page(cmp: Comparison, summary: dict) -> str:
    carbon = cmp.carbon
    calib_names = ", ".join(c.name for c in cmp.calibration)
    measured_count = len(cmp.calibration) + len(cmp.predicted) + len(cmp.missing)
    lines = [
        "# How far to trust the estimates: a comparison with published measurements",
        "",
        "This page is written by `scripts/validate.py`; do not edit it by hand. The test",
        "`measured_accuracy` reruns the comparison and fails when a summary figure moves beyond its",
        "tolerance, so that a change to the engine or the vapor library that alters accuracy is seen.",
        "",
        "## The measurements",
        "",
        f"Measured times to 1 % and 10 % breakthrough of organic-vapor cartridges for {measured_count} "
        "single vapors "
        "(G.O. Nelson and A.N. Correia, American Industrial Hygiene Association Journal 37:514-525, 1976), "
        "with the times a simple published single-vapor estimation table gives for the same cases (the US "
        "Occupational Safety and Health Administration's respiratory-protection eTool). The numbers and "
        "their sources are in `data/validation/`. Every test ran at 1000 ppm, 22 °C, 50 % relative "
        "humidity (cartridges preconditioned at 50 %), 53.3 L/min through two cartridges, each holding "
        "25-40 g of activated charcoal. The carbon's own parameters were not published.",
        "",
        "## Method",
        "",
        "Since the carbon is unknown, one generic carbon is calibrated and the rest is predicted. The "
        f"generic cartridge holds {GENERIC_CARTRIDGE['carbonWeight']:g} g of carbon (what the table model "
        f"assumed) in a bed {GENERIC_CARTRIDGE['bedDiameter']:g} cm across and "
        f"{GENERIC_CARTRIDGE['bedDepth']:g} cm deep, granules of "
        f"{GENERIC_CARTRIDGE['granuleDiameter']:g} cm, "
        f"water affinity {GENERIC_CARTRIDGE['waterAffinity']:g}, preconditioned at "
        f"{GENERIC_CARTRIDGE['precondRH']:g} %. Its micropore volume and adsorption potential are fitted "
        f"by least squares on the logarithm of predicted over measured time, 1 % and 10 % together, over "
        f"the aromatic hydrocarbons the vapor library holds ({calib_names}), within "
        f"{MICROPORE_BOUNDS[0]:.2f}-{MICROPORE_BOUNDS[1]:.2f} cm3/g and "
        f"{POTENTIAL_BOUNDS[0]:g}-{POTENTIAL_BOUNDS[1]:g} kJ/mol (the real cartridges held up to 40 g, so "
        "the generic micropore volume stands for the pore volume of a larger bed). The fit gives "
        f"**{carbon.micropore_volume:g} cm3/g and {carbon.benzene_potential:g} kJ/mol**; typed on the "
        "cartridge screen with the values above they reproduce the predictions in the tables. Every "
        "vapor is then run through `quandrelle-calc` at the test conditions, with its physical "
        "properties from the shipped library "
        "(`data/vapors.csv`). The alcohols took no part in the fit, so their errors are predictions. The "
        "aromatics' errors in the tables show the fit itself; to give them a fair prediction too, each "
        f"aromatic is also predicted from a carbon fitted on the other {len(cmp.calibration) - 1} (leave "
        "one out).",
        "",
        "Error is (predicted - measured) / measured, so a positive error is a cartridge life estimated too "
        "long, the unsafe direction. The range is the minimum-maximum range the results screen shows; a "
        "measured time of 0 has no relative error.",
        "",
        "## Summary",
        "",
    ]
    for fr in FRACTIONS:
        figures = summary["fractions"][fr.key]
        lines += [
            f"At {fr.caption} breakthrough:",
            "",
            f"- Median absolute error of the {figures['with_error_count']} vapors with a measured time above "
            f"0, each predicted without its own data (alcohols from the calibrated carbon, aromatics left "
            f"out in turn): "
            f"**{abs_pct_text(figures['median_abs_error_pct'])}**; the table model: "
            f"{abs_pct_text(figures['table_model_median_abs_error_pct'])}.",
            f"- Alcohols (predicted): {abs_pct_text(figures['predicted_family_median_abs_error_pct'])}; "
            f"aromatics, fit: {abs_pct_text(figures['calibration_fit_median_abs_error_pct'])}, left out in "
            f"turn: {abs_pct_text(figures['left_out_median_abs_error_pct'])}.",
            f"- Measured time inside the shown range: {figures['inside_range_count']} of "
            f"{figures['compared_count']}.",
            f"- Largest error: {figures['worst']['name']}, {pct_text(worst_error(cmp, fr))}.",
            f"- More than {TOO_LONG_PCT} % too long: {', '.join(figures['too_long']) or 'none'}.",
            "",
        ]
    lines += [
        f"Sign of the errors by family: aromatics {family_sentence(summary, 'aromatic')}; alcohols "
        f"{family_sentence(summary, 'alcohol')}.",
        "",
        "![Predicted against measured breakthrough times](validation-chart.svg)",
        "",
    ]
    for fr in FRACTIONS:
        lines += [f"## {fr.caption} breakthrough (measured {fr.break_ppm:g} ppm)", ""]
        lines += results_table(cmp, fr) + [""]
    lines += ["## Aromatics, each left out of the fit", ""] + left_out_table(cmp) + [""]
    if cmp.missing:
        names = ", ".join(c.name for c in cmp.missing)
        lines += [
            "## Not compared",
            "",
            f"The vapor library does not hold {names}; they were not predicted.",
            "",
        ]
    lines += [
        "## What this does and does not show",
        "",
        "- One test condition only: 1000 ppm, 22 °C, 50 % humidity, one air flow. Nothing here measures the "
        "accuracy at other concentrations, temperatures or humidities, or for mixtures.",
        "- The carbon was fitted to these same cartridges; for a real cartridge its maker's carbon data "
        "are needed, and an error in them moves every estimate.",
        f"- Estimated more than {TOO_LONG_PCT} % too long: {too_long_text(summary) or 'none'}. The program "
        "shows, in a run's notes, a caution that the estimate may be too long for every water-miscible "
        "vapor lighter than 65 g/mol. The limit follows from these measurements: the vapors estimated more "
        "than 25 % too long are all water-miscible and weigh at most 60.1 g/mol (Ethanol 46.1, Allyl alcohol "
        "58.1, Isopropanol 60.1; n-Propanol, 60.1, came out +16 % at 1 %), while the next, the butanols "
        "(74.1 g/mol, only partly soluble), came within 3 %; nothing between 60.1 and 74.1 g/mol was measured.",
        "- The ranges the program shows do not cover every measurement; treat an estimate as uncertain by "
        "at least the median error above, and set change schedules on the short side.",
        "",
        "Rerun after a change to the engine or the library: build `quandrelle-calc`, then "
        "`python3 scripts/validate.py`, read this page and commit it with `data/validation/summary.json`.",
        "",
    ]
    return "\n".join(lines)


def with_readme_summary(readme: str, sentence: str) -> str:
    """The README with the sentence between its two markers replaced."""
    start = readme.index(README_START) + len(README_START)
    end = readme.index(README_END, start)
    return readme[:start] + sentence + "\n" + readme[end:]


def main(argv: list[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--calc", type=Path, default=DEFAULT_CALC, help="the quandrelle-calc program")
    parser.add_argument(
        "--check", action="store_true", help="compare with the committed summary, write nothing"
    )
    args = parser.parse_args(argv)

    try:
        cmp = compare(Calculator(args.calc), read_cases())
    except FileNotFoundError as error:
        print(f"validate.py: {error} (build quandrelle-calc first, or name it with --calc)", file=sys.stderr)
        return 2
    except CalcFailed as error:
        print(f"validate.py: {error}", file=sys.stderr)
        return 2
    summary = summarize(cmp)
    if args.check:
        expected = json.loads(SUMMARY.read_text(encoding="utf-8"))
        problems = moved_figures(expected, summary)
        for problem in problems:
            print(problem, file=sys.stderr)
        if problems:
            print("The accuracy against the measurements has moved: rerun scripts/validate.py, read "
                  "docs/validation.md and commit it with data/validation/summary.json.", file=sys.stderr)
            return 1
        print(headline(summary))
        return 0
    SUMMARY.write_text(json.dumps(summary, indent=2) + "\n", encoding="utf-8")
    CHART.write_text(chart_svg(cmp), encoding="utf-8")
    PAGE.write_text(page(cmp, summary), encoding="utf-8")
    readme = with_readme_summary(README.read_text(encoding="utf-8"), headline(summary))
    README.write_text(readme, encoding="utf-8")
    print(headline(summary))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
