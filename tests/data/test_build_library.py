"""The fitting and rounding of the vapor library's build script, on points whose answer is known."""

import math
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "data"))
import build_library as lib  # noqa: E402


def points_of(a, b, c, kelvins, in_range=True):
    return [lib.Point(t, math.exp(a - b / (t + c)), in_range, 2 + i) for i, t in enumerate(kelvins)]


GRID = [253.15 + 5 * i for i in range(21)]


class FitAntoine(unittest.TestCase):
    def test_recovers_the_constants_of_exact_points(self):
        fitted = lib.fit_antoine(points_of(15.90085, 2788.507, -52.36, GRID[2:17]))
        self.assertAlmostEqual(fitted.c, -52.36, places=2)
        self.assertAlmostEqual(fitted.b, 2788.507, delta=0.5)
        self.assertAlmostEqual(fitted.a, 15.90085, places=3)

    def test_an_anchored_fit_passes_through_760_torr_at_the_anchor(self):
        points = points_of(16.0, 3000.0, -50.0, GRID[2:17])
        fitted = lib.fit_antoine(points, anchor_k=390.0)
        self.assertAlmostEqual(fitted.boiling_k(), 390.0, places=6)


class RoundedConstants(unittest.TestCase):
    def test_each_constant_fits_eight_characters_and_costs_almost_nothing(self):
        points = points_of(16.45881, 3342.58, -43.147, GRID[2:17])
        constants = lib.fit_antoine(points)
        texts, shipped = lib.rounded_constants(points, constants, None)
        self.assertTrue(all(len(text) <= 8 for text in texts), texts)
        self.assertEqual(shipped.a, float(texts[0]))
        self.assertLess(max(abs(shipped.ln_torr(p.kelvin) - math.log(p.torr)) for p in points), 1e-5)


class NumberText(unittest.TestCase):
    def test_uses_the_width_and_drops_trailing_zeros(self):
        self.assertEqual(lib.number_text(15.900851234), "15.90085")
        self.assertEqual(lib.number_text(-52.36000001), "-52.36")
        self.assertEqual(lib.number_text(12345.678), "12345.68")
        self.assertEqual(lib.number_text(-0.000000001), "0")

    def test_a_number_too_long_for_the_field_is_refused(self):
        with self.assertRaises(lib.LeftOut):
            lib.number_text(123456789.0)


class FitForUse(unittest.TestCase):
    def test_too_few_points_in_range_bring_in_the_extrapolated_ones(self):
        # Enough points in range, and they carry the reference below the range: only they are used.
        points = points_of(16.0, 3000.0, -50.0, GRID[:5], in_range=False) + points_of(16.0, 3000.0, -50.0, GRID[5:])
        fit = lib.fit_for_use(points, boiling_k=lib.Antoine(16.0, 3000.0, -50.0).boiling_k())
        self.assertEqual([fit.points[0].kelvin, fit.points[-1].kelvin], [278.15, 328.15])
        self.assertEqual(fit.notes, [])
        only_three = points_of(16.0, 3000.0, -50.0, GRID[:15], in_range=False) + points_of(
            16.0, 3000.0, -50.0, GRID[15:])
        fit = lib.fit_for_use(only_three, boiling_k=lib.Antoine(16.0, 3000.0, -50.0).boiling_k())
        self.assertEqual(len(fit.points), 14)
        self.assertIn("holds only 1 of the 14 points", fit.notes[0])

    def test_a_fit_that_misses_the_boiling_point_is_held_to_the_band(self):
        points = points_of(16.0, 3000.0, -50.0, GRID)
        true_boiling = lib.Antoine(16.0, 3000.0, -50.0).boiling_k()
        fit = lib.fit_for_use(points, boiling_k=true_boiling + 3.0)
        self.assertAlmostEqual(fit.unrounded.boiling_k(), true_boiling + 2.0, places=6)
        self.assertIn("held to 760 torr", fit.notes[0])


class LibraryRow(unittest.TestCase):
    props = {
        "name": "Testene", "cas": "71-43-2", "formula": "C6H6", "molWt": "78.1118", "liqDensity20": "0.8776",
        "refractiveIndex20": "1.5011", "normalBoilingPointK": "", "waterMiscible": "0",
        "waterSolubility_g_per_L": "1.79", "line": 36,
    }

    def row(self, points, boiling_k, **changes):
        props = dict(self.props, normalBoilingPointK=f"{boiling_k:.2f}", **changes)
        reference = lib.Correlation("test correlation", 200, 400, points, "vapor-pressure.csv lines 2-22")
        return lib.library_row(props, lib.Choice(reference, reference, []))

    def test_a_vapor_whose_points_no_equation_follows_is_left_out(self):
        smooth = points_of(16.0, 3000.0, -50.0, GRID)
        kinked = [lib.Point(p.kelvin, p.torr * (1.3 if p.kelvin > 300 else 1.0), True, p.line) for p in smooth]
        with self.assertRaisesRegex(lib.LeftOut, "miss the reference"):
            self.row(kinked, lib.Antoine(16.0, 3000.0, -50.0).boiling_k())

    def test_a_value_outside_the_screen_limits_is_left_out(self):
        points = points_of(16.0, 3000.0, -50.0, GRID)
        boiling = lib.Antoine(16.0, 3000.0, -50.0).boiling_k()
        row, error, _ = self.row(points, boiling)
        self.assertLess(error, 1e-4)
        with self.assertRaisesRegex(lib.LeftOut, "liqDensity"):
            self.row(points, boiling, liqDensity20="0.3")
        with self.assertRaisesRegex(lib.LeftOut, "chemName"):
            self.row(points, boiling, name="x" * 36)

    def test_water_solubility_factor_follows_the_volume_rule(self):
        self.assertEqual(lib.water_solubility_factor(dict(self.props, waterMiscible="1")), "1")
        self.assertEqual(lib.water_solubility_factor(dict(self.props, waterMiscible="", waterSolubility_g_per_L="")), "0")
        self.assertEqual(lib.water_solubility_factor(dict(self.props, waterSolubility_g_per_L="0.5")), "0")
        # 1.79 g in a litre of water: 2.0397 cm3 of liquid in 1002.0397 cm3 of solution.
        self.assertEqual(lib.water_solubility_factor(self.props), "0.00204")


def antoine_set(ratio, low, high, source="Landolt"):
    """An alternative set giving `ratio` times the pressure of ChooseCorrelation's reference curve."""
    antoine = lib.Antoine(17.0 + math.log(ratio), 4000.0, -50.0)
    return lib.Correlation(f"Antoine {source}", low, high, [], f"antoine-alternatives.csv line {int(low)}", antoine)


class ChooseCorrelation(unittest.TestCase):
    curve = lib.Antoine(17.0, 4000.0, -50.0)

    def choose(self, reference_range, *alternatives):
        low, high = reference_range
        points = [lib.Point(k, self.curve.torr(k), low <= k <= high, 2) for k in GRID]
        reference = lib.Correlation("Wagner Poling", low, high, points, "vapor-pressure.csv lines 2-22")
        return lib.choose_correlation(reference, list(alternatives), self.curve.boiling_k())

    def test_which_set_the_constants_follow(self):
        # (reference range, alternatives, index of the set used or None for the reference's, verdict)
        stretched, measured = (330, 470), (250, 470)
        rows = [
            ("stretched, a higher set measured nowhere in 0-40 C", stretched,
             [antoine_set(1.05, 320, 430)], 0, "Antoine Landolt 320-430 K used, +5.0 % at 25 C"),
            ("stretched, a higher set measured at 25 C", stretched,
             [antoine_set(0.99, 290, 430, "NIST"), antoine_set(1.05, 280, 430)], 1, "used, +5.0 % at 25 C"),
            ("measured, a higher set measured at 25 C", measured, [antoine_set(1.05, 280, 430)], 0, "used"),
            ("measured, a lower set measured at 25 C", measured, [antoine_set(0.95, 280, 430)], None, None),
            ("stretched, only a lower set", stretched, [antoine_set(0.95, 320, 430)], None, "kept, compared with 1"),
            ("stretched, within 3 % of the others", stretched, [antoine_set(1.02, 320, 430)], None, "agrees within 3 %"),
            ("stretched, only its own constants passed on", stretched,
             [antoine_set(1.0, 330, 470, "NIST")], None, "single source, extrapolated"),
            ("a higher set that misses the boiling point", measured,
             [antoine_set(1.25, 280, 430)], None, "kept; 1 higher set set aside"),
        ]
        for name, reference_range, alternatives, used, verdict in rows:
            with self.subTest(name):
                choice = self.choose(reference_range, *alternatives)
                self.assertIs(choice.used, choice.reference if used is None else alternatives[used])
                if verdict is None:
                    self.assertIsNone(choice.verdict)
                else:
                    self.assertIn(verdict, choice.verdict)
                # Only a choice that was made is written to corrections.csv, with what it set aside.
                self.assertEqual(choice.reason is None, verdict is None or "agrees" in verdict or "single" in verdict)
                if "set aside" in (verdict or ""):
                    self.assertIn("antoine-alternatives.csv line 280: reaches 760 torr", choice.reason)

    def test_crossing_measured_sets_raise_the_points_to_the_higher(self):
        # 5 % above the reference's at 0 C and 1 % below it at 40 C: neither can be used alone.
        crossing = lib.Correlation("Antoine NIST", 250, 400, [], "antoine-alternatives.csv line 9",
                                   lib.Antoine(17.5281, 4346.216, -37.0))
        choice = self.choose((250, 470), crossing)
        self.assertIs(choice.used, choice.reference)
        self.assertIn("raised where a measured set lies more than 3 % above it", choice.verdict)
        points, note = lib.raised_points(choice, self.curve.boiling_k())
        for p in points:
            if p.kelvin in lib.USE_GRID_K:
                highest = max(c.torr(p.kelvin) for c in [choice.used] + choice.checked_against)
                self.assertGreaterEqual(p.torr, highest / 1.03, p.kelvin)
        self.assertIn("raised to the highest measured set", note)


class Corrections(unittest.TestCase):
    fix = {"cas": "75-05-8", "column": "refractiveIndex20", "reference": "1.3495", "corrected": "1.3442", "line": 2}

    def test_a_correction_replaces_the_reference_value_and_is_cited(self):
        properties = [{"cas": "75-05-8", "refractiveIndex20": "1.3495"}]
        lib.apply_corrections(properties, [self.fix])
        self.assertEqual(properties[0]["refractiveIndex20"], "1.3442")
        self.assertIn("corrections.csv line 2", properties[0]["corrections"][0])

    def test_a_correction_the_reference_has_outgrown_stops_the_build(self):
        with self.assertRaises(SystemExit):
            lib.apply_corrections([{"cas": "75-05-8", "refractiveIndex20": "1.3500"}], [self.fix])
        with self.assertRaises(SystemExit):
            lib.apply_corrections([], [self.fix])


if __name__ == "__main__":
    unittest.main()
