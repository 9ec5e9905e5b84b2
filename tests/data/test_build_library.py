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
        return lib.library_row(props, points, "test correlation")

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
