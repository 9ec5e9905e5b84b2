#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Scenarios.h"
#include "StateNumbers.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/engine/Sweep.h"
#include "quandrelle/engine/SweepCurves.h"

namespace quandrelle {
namespace {

// ---- The values of a range ----

TEST(SweepValues, EvenStepsLandOnTheirRoundNumbers) {
    const std::vector<double> values = sweepValues({SweepQuantity::RelHumidity, 5, 95, 19, false});
    ASSERT_EQ(values.size(), 19u);
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i], 5.0 + 5.0 * static_cast<double>(i)) << i;
    }
}

TEST(SweepValues, OnePointIsItsStart) {
    EXPECT_EQ(sweepValues({SweepQuantity::Temperature, 50, 50, 1, false}), std::vector<double>{50});
}

TEST(SweepValues, LogarithmicStepsKeepOneRatioAndExactEnds) {
    const std::vector<double> values = sweepValues({SweepQuantity::ConcentrationScale, 0.1, 10, 21, true});
    ASSERT_EQ(values.size(), 21u);
    EXPECT_EQ(values.front(), 0.1);
    EXPECT_EQ(values.back(), 10);
    EXPECT_NEAR(values[10], 1, 1e-14);
    for (std::size_t i = 1; i < values.size(); ++i) {
        EXPECT_NEAR(values[i] / values[i - 1], std::pow(10.0, 0.1), 1e-12) << i;
    }
}

TEST(SweepValues, ADescendingRangeRunsDownward) {
    EXPECT_EQ(sweepValues({SweepQuantity::AirFlow, 100, 10, 4, false}),
              (std::vector<double>{100, 70, 40, 10}));
}

// ---- Storing a value as the results screen does ----

CalcState benzeneToluene() {
    return test::withVapors(test::halfMask(), {test::kBenzene, test::kToluene});
}

TEST(StoreSweptValue, HumidityIsStoredAsTheScreenStoresAPercentage) {
    CalcState state = benzeneToluene();
    storeSweptValue(state, SweepQuantity::RelHumidity, 85);
    EXPECT_EQ(state.relHumidity, humidityFraction(85));
}

TEST(StoreSweptValue, ConcentrationScaleKeepsTheBreakthroughConcentrations) {
    CalcState state = benzeneToluene();
    storeSweptValue(state, SweepQuantity::ConcentrationScale, 4);
    EXPECT_EQ(state.vapors[1].avgConc, 400.0f);
    EXPECT_EQ(state.breakConc[1], 10);
    EXPECT_EQ(state.breakFraction[1], 10.0 / 400.0);
    EXPECT_EQ(state.breakFraction[2], 10.0 / 400.0);
}

TEST(StoreSweptValue, ScaleOneLeavesEveryNumberAsItWas) {
    CalcState state = benzeneToluene();
    state.vapors[2].avgConc = 123.456f;
    state.breakFraction[2] = state.breakConc[2] / state.vapors[2].avgConc;
    const test::StateNumbers before(state);
    storeSweptValue(state, SweepQuantity::ConcentrationScale, 1);
    expectBitIdentical(before, test::StateNumbers(state));
}

TEST(StoreSweptValue, AirFlowMovesTheFaceVelocityWithIt) {
    CalcState state = benzeneToluene();
    storeSweptValue(state, SweepQuantity::AirFlow, 60);
    EXPECT_EQ(state.airFlow, 60.0f);
    EXPECT_EQ(state.faceVelocity, faceVelocityOf(state));
    EXPECT_NEAR(state.faceVelocity, 2 * faceVelocityOf(benzeneToluene()), 1e-12);
}

TEST(StoreSweptValue, AValueBeyondSinglePrecisionFailsThePointOnly) {
    const SweepPoint point = runSweepPoint(benzeneToluene(), SweepQuantity::Temperature, 1e300);
    EXPECT_EQ(point.outcome.status, CalculateStatus::Failed);
    EXPECT_FALSE(point.outcome.errorText.empty());
}

// ---- Points ----

TEST(SweepPoint, OperatingPointIsTheCalculateCommandOnTheStateAsItIs) {
    CalcState screen =
        test::withVapors(test::halfMask(0.6f), {test::kToluene, test::kBenzene, test::kAcetone});
    const SweepPoint point = runOperatingPoint(screen, SweepQuantity::RelHumidity);
    ASSERT_EQ(Calculate(screen, test::rowsOf(screen)).status, CalculateStatus::Done);
    ASSERT_EQ(point.outcome.status, CalculateStatus::Done);
    EXPECT_EQ(point.value, 60);
    expectBitIdentical(test::StateNumbers(point.state), test::StateNumbers(screen));
}

TEST(SweepPoint, StoredOperatingValueGivesTheOperatingPoint) {
    const CalcState screen = test::withVapors(test::halfMask(0.6f), {test::kToluene, test::kBenzene});
    for (const SweepQuantity quantity : kSweepQuantities) {
        SCOPED_TRACE(std::string(sweepQuantityName(quantity)));
        const SweepPoint stored = runSweepPoint(screen, quantity, operatingValue(screen, quantity));
        const SweepPoint asIs = runOperatingPoint(screen, quantity);
        expectBitIdentical(test::StateNumbers(stored.state), test::StateNumbers(asIs.state));
    }
}

TEST(SweepPoint, EveryVaporIsFoundAgainAfterTheRunSortsTheSlots) {
    const CalcState screen =
        test::withVapors(test::halfMask(), {test::kToluene, test::kBenzene, test::kAcetone});
    const SweepPoint point = runOperatingPoint(screen, SweepQuantity::AirFlow);
    ASSERT_EQ(point.outcome.status, CalculateStatus::Done);
    for (int n = 1; n <= 3; ++n) {
        const int p = point.positionOfEntry[static_cast<std::size_t>(n)];
        ASSERT_GE(p, 1);
        EXPECT_EQ(point.state.vapors[p].chemName, screen.vapors[n].chemName);
    }
    EXPECT_NE(point.state.vapors[1].chemName, screen.vapors[1].chemName) << "the order should change";
}

TEST(SweepPoint, FractionPushedBeyondHalfIsRefusedAndLeavesNoResults) {
    const SweepPoint point = runSweepPoint(benzeneToluene(), SweepQuantity::ConcentrationScale, 0.1);
    EXPECT_EQ(point.outcome.status, CalculateStatus::OutOfLimits);
    EXPECT_EQ(point.positionOfEntry[1], 0);
}

TEST(SweepQuantityNames, ReadBackAsTheirQuantity) {
    for (const SweepQuantity quantity : kSweepQuantities) {
        EXPECT_EQ(sweepQuantityNamed(sweepQuantityName(quantity)), quantity);
    }
    EXPECT_EQ(sweepQuantityNamed("humidity"), std::nullopt);
}

// ---- Curve points ----

TEST(SweepCurvePoint, AFallbackPointGivesTheSolversNotesWithoutTheRunsCautions) {
    const CalcState wet = test::withVapors(
        test::halfMask(0.9f, 0.8f),
        {test::kBenzene, test::kToluene, test::kAcetone, test::kHexane, test::kEthylAcetate});
    const SweepPoint point = runOperatingPoint(wet, SweepQuantity::RelHumidity);
    ASSERT_EQ(point.state.runReport.method, RunMethod::Fallback);
    const CurvePoint curve = curvePointOf(point, wet.vaporCount);
    EXPECT_EQ(curve.kind, CurvePointKind::Fallback);
    EXPECT_EQ(curve.times.size(), 5u);
    EXPECT_EQ(curve.reason.rfind(point.state.runReport.notes.front(), 0), 0u) << curve.reason;
    EXPECT_EQ(curve.reason.find("Humidity above 65"), std::string::npos) << "a caution, not the solver's";
}

// ---- The curves as a file ----

TEST(SweepCurvesCsv, NamesAreQuotedNumbersReadBackExactlyAndRefusedPointsHaveNoTimes) {
    const std::vector<std::string> names{"Toluene", "Acid, \"glacial\""};
    const std::vector<CurvePoint> points{
        {0.1, CurvePointKind::Refused, "Too low, by far", {}},
        {1, CurvePointKind::Fallback, "", {{81.25, 60, 110.5}, {0.1 + 0.2, 1e-7, 2}}},
    };
    EXPECT_EQ(curvesCsv(SweepQuantity::ConcentrationScale, names, points),
              "concentrationScale,Toluene estimate (min),Toluene min (min),Toluene max (min),"
              "\"Acid, \"\"glacial\"\" estimate (min)\",\"Acid, \"\"glacial\"\" min (min)\","
              "\"Acid, \"\"glacial\"\" max (min)\",status,note\r\n"
              "0.1,,,,,,,refused,\"Too low, by far\"\r\n"
              "1,81.25,60,110.5,0.30000000000000004,1e-07,2,fallback,\r\n");
}

}  // namespace
}  // namespace quandrelle
