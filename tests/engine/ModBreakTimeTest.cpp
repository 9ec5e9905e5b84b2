#include <gtest/gtest.h>

#include <string>

#include "IAST.h"
#include "ModBreakTime.h"
#include "Scenarios.h"
#include "WtdCalcs.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle {
namespace {

TEST(WaterAndFeed, WaterVaporPressureAt25CIs3143Pa) {
    CalcState state;
    state.tempK = 298.15f;
    EXPECT_NEAR(WaterVaporPressure(state), 3.143, 0.0005);
}

TEST(WaterAndFeed, ThousandPpmAtOneAtmosphereIsTheStandardPartialPressure) {
    CalcState state;
    state.vapors[1].avgConc = 1000;
    state.atmPressure = 1;
    EXPECT_DOUBLE_EQ(FeedPartialPressure(state, 1), 0.101325);
    EXPECT_THROW(FeedPartialPressure(state, 6), CalcError);
}

TEST(BedGeometry, OneCartridgeOfTheStatedSizeGivesItsVolumeDensityAndVelocity) {
    CalcState state = test::halfMask();
    state.cartsPerRespirator = 1;
    PrepareRun(state);
    EXPECT_NEAR(state.bedVolume, 150.8, 0.05);
    EXPECT_NEAR(state.bulkDensity, 0.1724, 0.00005);
    EXPECT_NEAR(state.airVelocity, 9.95, 0.005);
    // The density and velocity are single-precision quantities computed in single precision.
    EXPECT_EQ(state.bulkDensity, 26.0f / state.bedVolume);
    EXPECT_EQ(static_cast<float>(state.airVelocity),
              30.0f * 1000.0f * state.bulkDensity * 3.0f / (26.0f * 60.0f * 1.0f));
}

TEST(TruncatedErrorFunction, GivesTheSeriesValuesNotTheTrueFunction) {
    EXPECT_NEAR(truncatedErf(1.0), 0.84259, 5e-6);
    EXPECT_NEAR(truncatedErf(1.5), 0.94786, 5e-6);
    EXPECT_NEAR(truncatedErf(2.0), 0.34367, 5e-6);
    EXPECT_NEAR(truncatedErf(2.5), -8.88742, 5e-6);
    EXPECT_EQ(truncatedErf(-1.0), -truncatedErf(1.0));
}

TEST(CurveShape, NearZeroRateCoefficientIsAbout0274) {
    EXPECT_NEAR(CurveShape(0), 0.274, 0.0005);
    EXPECT_GT(CurveShape(5000), 0);
}

TEST(CurveShape, NegativeDiscriminantGivesTheEmptyResult) {
    // At 20000 both a and c are negative and 4ac exceeds b squared.
    EXPECT_EQ(CurveShape(20000), 0.0);
    EXPECT_EQ(CentreRateCoefficient(20000, CurveShape(20000)), 20000.0);
}

TEST(CurveShape, AnyOtherFailureEndsTheProgramWithTheUnexpectedErrorText) {
    try {
        CurveShape(1e200);
        FAIL() << "an overflowing discriminant was accepted";
    } catch (const CalcError& error) {
        EXPECT_TRUE(error.endsProgram());
        EXPECT_EQ(error.kind(), CalcErrorKind::Overflow);
        EXPECT_EQ(error.description().rfind(
                      "Unexpected error # 6 occurred: Arithmetic overflow in the curve shape", 0),
                  0u)
            << error.description();
    }
}

class RateCoefficientTest : public ::testing::Test {
protected:
    void chain(double kvReference, double fraction) {
        state.kvReference = kvReference;
        state.curveShape = CurveShape(kvReference);
        state.kvBase = CentreRateCoefficient(kvReference, state.curveShape);
        state.breakFraction[1] = fraction;
    }
    CalcState state;
};

TEST_F(RateCoefficientTest, ReferenceFractionLeavesTheReferenceCoefficient) {
    chain(500, 0.001);
    ASSERT_GT(state.curveShape, 0);
    EXPECT_NEAR(FractionRateCoefficient(state, 1), 500, 500 * 1e-12);
}

TEST_F(RateCoefficientTest, LargerFractionsLowerTheCoefficient) {
    chain(500, 0.1);
    EXPECT_LT(FractionRateCoefficient(state, 1), 500);
    EXPECT_GT(FractionRateCoefficient(state, 1), 0);
}

TEST_F(RateCoefficientTest, CoefficientsOf11800OrMoreSkipTheCorrection) {
    chain(11800, 0.1);
    ASSERT_GT(state.curveShape, 0);
    EXPECT_EQ(FractionRateCoefficient(state, 1), 11800.0);
    chain(11799, 0.1);
    EXPECT_NE(FractionRateCoefficient(state, 1), 11799.0);
}

TEST(PositionFactor, FirstSecondAndLaterPositions) {
    EXPECT_EQ(positionFactor(1), 1.0);
    EXPECT_EQ(positionFactor(2), 0.85);
    EXPECT_EQ(positionFactor(3), 0.56);
    EXPECT_EQ(positionFactor(5), 0.56);
}

class EvaluationTest : public ::testing::Test {
protected:
    void SetUp() override {
        state = test::withVapors(test::halfMask(), {test::kBenzene});
        PrepareRun(state);
        InitialFractions(state);
        state.molarCapacity[1] = VaporCapacity(state, 1);
    }
    CalcState state;
};

TEST_F(EvaluationTest, KineticTermBeyondTheStoichiometricTimeGivesZeroAndAnEmptyRange) {
    state.breakTime[1] = 0.001;
    EvaluateVapors(state);
    EXPECT_EQ(state.breakTime[1], 0.0);
    EXPECT_EQ(state.breakTimeMin[1], 0.0);
    EXPECT_EQ(state.breakTimeMax[1], 0.0);
}

TEST_F(EvaluationTest, SmallKineticShareGivesTheTenPercentSpread) {
    state.breakTime[1] = 10000;
    EvaluateVapors(state);
    const double estimate = state.breakTime[1];
    ASSERT_GT(estimate, 7000);  // the kinetic share stays below 0.3
    EXPECT_DOUBLE_EQ(state.breakTimeMin[1], estimate * 80 / 100);
    EXPECT_DOUBLE_EQ(state.breakTimeMax[1], estimate * 120 / 100);
}

TEST_F(EvaluationTest, ZeroStoichiometricTimeStopsTheRunWithAnInvalidOperation) {
    state.breakTime[1] = 0;
    try {
        EvaluateVapors(state);
        FAIL() << "0 / 0 was accepted";
    } catch (const CalcError& error) {
        EXPECT_EQ(error.kind(), CalcErrorKind::InvalidArgument);
        EXPECT_NE(error.description().find("Benzene"), std::string::npos) << error.description();
    }
}

TEST_F(EvaluationTest, AVaporGoneFromTheAirKeepsItsEarlierTimeAndRange) {
    state.partialPress[1] = 0;
    state.breakTime[1] = 0;
    state.breakTimeMin[1] = 80;
    state.breakTimeMax[1] = 120;
    EvaluateVapors(state);
    EXPECT_EQ(state.breakTime[1], 0.0);
    EXPECT_EQ(state.breakTimeMin[1], 80.0);
    EXPECT_EQ(state.breakTimeMax[1], 120.0);
}

TEST_F(EvaluationTest, NoPartialPressureGivesNoBreakthroughTime) {
    state.partialPress[1] = 0;
    EXPECT_EQ(BreakthroughTime(state, 0.3, 100, 500, 1), 0.0);
}

}  // namespace
}  // namespace quandrelle
