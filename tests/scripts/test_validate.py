"""The comparison with published measurements: the fit, the figures and the check of scripts/validate.py."""

import math
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))

import validate  # noqa: E402


def synthetic_residuals(true_volume, true_potential, slopes=(0.8, -1.1, 0.3, 1.9)):
    """ln(predicted/measured) of a model whose times scale with the micropore volume and whose
    sensitivity to the potential differs between vapors, as the real one's does."""

    def residuals_at(carbon):
        return [
            math.log(carbon.micropore_volume / true_volume)
            + slope * (1 / true_potential - 1 / carbon.benzene_potential) * 20
            for slope in slopes
        ]

    return residuals_at


class LeastSquaresCarbonTest(unittest.TestCase):
    def test_recovers_a_carbon_inside_the_bounds(self):
        fitted = validate.least_squares_carbon(synthetic_residuals(0.62, 17.3), validate.Carbon(0.6, 20))
        self.assertAlmostEqual(fitted.micropore_volume, 0.62, places=3)
        self.assertAlmostEqual(fitted.benzene_potential, 17.3, places=1)

    def test_a_best_fit_beyond_the_bounds_stops_at_them(self):
        fitted = validate.least_squares_carbon(synthetic_residuals(1.4, 40), validate.Carbon(0.6, 20))
        self.assertAlmostEqual(fitted.micropore_volume, validate.MICROPORE_BOUNDS[1], places=6)
        self.assertAlmostEqual(fitted.benzene_potential, validate.POTENTIAL_BOUNDS[1], places=6)
        fitted = validate.least_squares_carbon(synthetic_residuals(0.1, 5), validate.Carbon(0.6, 20))
        self.assertAlmostEqual(fitted.micropore_volume, validate.MICROPORE_BOUNDS[0], places=6)
        self.assertAlmostEqual(fitted.benzene_potential, validate.POTENTIAL_BOUNDS[0], places=6)

    def test_bounds_lie_within_the_cartridge_screen_limits(self):
        self.assertGreaterEqual(validate.MICROPORE_BOUNDS[0], 0.1)
        self.assertLessEqual(validate.MICROPORE_BOUNDS[1], 1.0)
        self.assertGreaterEqual(validate.POTENTIAL_BOUNDS[0], 1)
        self.assertLessEqual(validate.POTENTIAL_BOUNDS[1], 100)

    def test_fitted_values_are_kept_to_typed_digits(self):
        carbon = validate.rounded(validate.Carbon(0.75449, 15.649))
        self.assertEqual(carbon, validate.Carbon(0.754, 15.6))


class FiguresTest(unittest.TestCase):
    def test_a_measured_time_of_zero_has_no_relative_error(self):
        self.assertIsNone(validate.relative_error(4.0, 0))
        self.assertAlmostEqual(validate.relative_error(110, 100), 10)
        self.assertAlmostEqual(validate.relative_error(45, 50), -10)

    def test_percentages_carry_their_sign_except_at_zero(self):
        self.assertEqual(validate.pct_text(31.4), "+31 %")
        self.assertEqual(validate.pct_text(-94.6), "-95 %")
        self.assertEqual(validate.pct_text(-0.4), "0 %")
        self.assertEqual(validate.pct_text(None), "n/a")

    def test_median_of_absolute_errors_skips_missing_ones(self):
        self.assertEqual(validate.median_abs([-30, None, 10, 20, -5]), 15)
        self.assertIsNone(validate.median_abs([None]))

    def test_range_ends_count_as_inside(self):
        estimate = validate.Estimate(time=50, low=40, high=60)
        self.assertTrue(validate.inside_range(estimate, 40))
        self.assertTrue(validate.inside_range(estimate, 60))
        self.assertFalse(validate.inside_range(estimate, 60.5))
        self.assertFalse(validate.inside_range(estimate, 39))

    def test_residuals_leave_out_zero_times_and_survive_a_zero_estimate(self):
        case = validate.Case("A", "1-1-1", "alcohol", {"1pct": 0, "10pct": 4}, {"1pct": 1, "10pct": 5}, {})
        estimates = {("1-1-1", "1pct"): validate.Estimate(2, 0, 5), ("1-1-1", "10pct"): validate.Estimate(0, 0, 0)}
        residuals = validate.log_residuals([case], estimates)
        self.assertEqual(len(residuals), 1)
        self.assertAlmostEqual(residuals[0], math.log(validate.SHORTEST_TIME / 4))


class ReadCasesTest(unittest.TestCase):
    def test_vapors_are_matched_to_the_library_by_cas_number(self):
        with tempfile.TemporaryDirectory() as folder:
            measurements = Path(folder) / "m.csv"
            library = Path(folder) / "v.csv"
            measurements.write_text(
                "name,cas,measured_1pct_min,measured_10pct_min,table_model_1pct_min,table_model_10pct_min,family\n"
                "Benzene,71-43-2,73,88,56,68,aromatic\n"
                "p-Cymene,99-87-6,75,92,52,59,aromatic\n",
                encoding="utf-8",
            )
            library.write_text("chemName,casNumber,molWt\nBenzol,71-43-2 ,78.11\n", encoding="utf-8")
            cases = validate.read_cases(measurements, library)
        self.assertEqual([c.name for c in cases], ["Benzene", "p-Cymene"])
        self.assertEqual(cases[0].vapor["chemName"], "Benzol")
        self.assertEqual(cases[0].measured, {"1pct": 73, "10pct": 88})
        self.assertEqual(cases[0].table_model, {"1pct": 56, "10pct": 68})
        self.assertIsNone(cases[1].vapor)


class CalculatorTest(unittest.TestCase):
    VAPOR = {
        "chemName": "Benzene",
        "casNumber": "71-43-2",
        "molWt": "78.11",
        "liqDensity": "0.8765",
        "molPolariz": "26.26",
        "waterSolFactor": "0.002",
        "antoineA": "15.90085",
        "antoineB": "2788.507",
        "antoineC": "-52.360",
    }

    def test_a_refused_run_is_an_error_not_a_result(self):
        calc = validate.Calculator(Path("/bin/false"))
        with self.assertRaises(validate.CalcFailed):
            calc.run(calc.scenario(validate.Carbon(0.5, 18), self.VAPOR, 10))

    def test_scenario_holds_the_test_conditions_and_the_fitted_carbon(self):
        import json

        scenario = json.loads(validate.Calculator.scenario(validate.Carbon(0.754, 15.6), self.VAPOR, 100))
        self.assertEqual(scenario["cartridge"]["microporeVolume"], 0.754)
        self.assertEqual(scenario["cartridge"]["benzenePotential"], 15.6)
        self.assertEqual(scenario["conditions"], validate.CONDITIONS)
        self.assertEqual(scenario["vapors"][0]["concentration"], 1000)
        self.assertEqual(scenario["vapors"][0]["breakConc"], 100)
        self.assertEqual(scenario["vapors"][0]["antoineC"], -52.36)


class ReadmeSummaryTest(unittest.TestCase):
    def test_only_the_text_between_the_markers_changes(self):
        readme = f"intro\n{validate.README_START}old sentence.\n{validate.README_END}\nafter\n"
        once = validate.with_readme_summary(readme, "New sentence.")
        self.assertEqual(once, f"intro\n{validate.README_START}New sentence.\n{validate.README_END}\nafter\n")
        self.assertEqual(validate.with_readme_summary(once, "New sentence."), once)

    def test_a_readme_without_markers_is_refused(self):
        with self.assertRaises(ValueError):
            validate.with_readme_summary("no markers here\n", "New sentence.")


class MovedFiguresTest(unittest.TestCase):
    COMMITTED = {
        "carbon": {"microporeVolume": 0.754, "benzenePotential": 15.6},
        "fractions": {"10pct": {"median_abs_error_pct": 6.5, "inside_range_count": 10, "worst": {"name": "Methanol"}}},
    }

    def moved(self, **changes):
        import copy

        actual = copy.deepcopy(self.COMMITTED)
        figures = actual["fractions"]["10pct"]
        for key, value in changes.items():
            if key in actual["carbon"]:
                actual["carbon"][key] = value
            elif key == "worst":
                figures["worst"]["name"] = value
            else:
                figures[key] = value
        return validate.moved_figures(self.COMMITTED, actual)

    def test_figures_within_tolerance_pass(self):
        self.assertEqual(self.moved(median_abs_error_pct=7.5, inside_range_count=11, microporeVolume=0.764), [])

    def test_figures_beyond_tolerance_are_named(self):
        self.assertEqual(len(self.moved(median_abs_error_pct=7.6)), 1)
        self.assertIn("fractions.10pct.inside_range_count", self.moved(inside_range_count=8)[0])
        self.assertEqual(len(self.moved(benzenePotential=16.0)), 1)

    def test_a_different_worst_vapor_is_a_change(self):
        self.assertEqual(len(self.moved(worst="Ethanol")), 1)

    def test_a_figure_that_appears_or_vanishes_is_a_change(self):
        problems = self.moved(too_long=["Ethanol"])
        self.assertEqual(len(problems), 1)
        self.assertIn("only in the new summary", problems[0])

    def test_a_figure_that_becomes_missing_is_a_change(self):
        self.assertEqual(len(self.moved(median_abs_error_pct=None)), 1)


if __name__ == "__main__":
    unittest.main()
