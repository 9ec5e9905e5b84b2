#include <gtest/gtest.h>

#include <vector>

#include "Scenarios.h"
#include "quandrelle/engine/Calculate.h"

namespace quandrelle {
namespace {

using test::halfMask;
using test::withVapors;

class LimitsTest : public ::testing::Test {
protected:
    bool passes(std::vector<BreakthroughRow> rows) { return withinBreakFractionLimits(state, rows); }
    CalcState state = withVapors(halfMask(), {test::kBenzene, test::kToluene});
};

TEST_F(LimitsTest, HalfTheConcentrationIsTheHighestAcceptedBreakthrough) {
    EXPECT_TRUE(passes({{100, 50}, {200, 100}}));
    EXPECT_FALSE(passes({{100, 50.001}, {200, 100}}));
    EXPECT_FALSE(passes({{100, 50}, {200, 100.001}}));
    EXPECT_TRUE(passes({{100, 0.0001}, {200, 1}}));
}

TEST_F(LimitsTest, EmptyZeroOrNegativeEntriesAreRefused) {
    EXPECT_FALSE(passes({{100, 0}, {200, 10}}));
    EXPECT_FALSE(passes({{100, -5}, {200, 10}}));
    EXPECT_FALSE(passes({{0, 10}, {200, 10}}));
    EXPECT_FALSE(passes({{100, 10}, {0, 0}}));
    // A negative concentration would make any breakthrough fraction look small.
    EXPECT_FALSE(passes({{-100, 10}, {200, 10}}));
    EXPECT_FALSE(passes({{100, 10}}));  // row 2 missing
}

TEST_F(LimitsTest, OnlyTheRowsOfTheMixtureAreChecked) {
    EXPECT_TRUE(passes({{100, 10}, {200, 10}, {0, 0}, {5, 500}}));
}

TEST(Calculate, RefusalChangesNothingAndLeavesTheResultsShown) {
    CalcState state = withVapors(halfMask(), {test::kBenzene});
    state.breakTimeResult[1] = 42;
    const CalcState before = state;
    int cleared = 0;
    const std::vector<BreakthroughRow> rows{{100, 60}};
    const CalculateOutcome outcome = Calculate(state, rows, [&] { ++cleared; });
    EXPECT_EQ(outcome.status, CalculateStatus::OutOfLimits);
    EXPECT_EQ(cleared, 0);
    EXPECT_EQ(state.breakTimeResult, before.breakTimeResult);
    EXPECT_EQ(state.tempK, before.tempK);
    EXPECT_EQ(state.mixCount, before.mixCount);
    EXPECT_EQ(
        kLimitsMessageText,
        "This model is not valid for breakthrough fractions above 0.5 or at zero or below. Please select "
        "breakthrough concentrations within these limits.");
}

TEST(Calculate, SuccessfulRunClearsOnceThenFillsTheResults) {
    CalcState state = withVapors(halfMask(), {test::kToluene, test::kBenzene, test::kAcetone});
    int cleared = 0;
    const CalculateOutcome outcome = Calculate(state, test::rowsOf(state), [&] { ++cleared; });
    EXPECT_EQ(outcome.status, CalculateStatus::Done);
    EXPECT_TRUE(outcome.errorText.empty());
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(state.mixCount, 1);
    EXPECT_EQ(state.vapors[1].chemName, "Acetone");
    EXPECT_GT(state.breakTimeResult[3], state.breakTimeResult[1]);
    // A second run checks the rows again in their new order and gives the same answers.
    const CalcState first = state;
    EXPECT_EQ(Calculate(state, test::rowsOf(state)).status, CalculateStatus::Done);
    EXPECT_EQ(state.breakTimeResult, first.breakTimeResult);
}

TEST(Calculate, OverflowWhilePreparingAVaporNamesItsMolarVolume) {
    CalcState state = withVapors(halfMask(), {test::kBenzene, test::kToluene});
    state.vapors[2].antoineA = 1000;      // its saturation pressure overflows
    state.vapors[2].molVolume = 106.29f;  // left by an earlier run
    const CalculateOutcome outcome = Calculate(state, test::rowsOf(state));
    EXPECT_EQ(outcome.status, CalculateStatus::Failed);
    EXPECT_FALSE(outcome.endProgram);
    EXPECT_EQ(outcome.errorText, "Arithmetic Overflow.\nPlease check your values.\nMolecular Volume: 106.29");
    EXPECT_EQ(state.preparingSlot, 2);
}

TEST(Calculate, OverflowOutsideThePreparationNamesNoVapor) {
    CalcState state;
    state.preparingSlot = 0;
    EXPECT_EQ(
        failureText(state, CalcError(CalcErrorKind::Overflow, "Arithmetic overflow in the water isotherm")),
        "Arithmetic Overflow.\nPlease check your values.");
}

TEST(Calculate, OtherFailuresShowTheirOwnDescription) {
    CalcState state;
    state.preparingSlot = 1;
    const CalcError error(CalcErrorKind::NoConvergence, "No equilibrium of the mixture under the model: x");
    EXPECT_EQ(failureText(state, error), "No equilibrium of the mixture under the model: x");
}

TEST(Calculate, UnexpectedErrorEndsTheProgram) {
    CalcState state;
    state.preparingSlot = 1;
    const CalcError error(CalcErrorKind::Overflow, "Unexpected error # 6 occurred: Arithmetic overflow",
                          true);
    EXPECT_EQ(failureText(state, error), "Unexpected error # 6 occurred: Arithmetic overflow");
}

TEST(Calculate, ZeroBedDepthIsAReportedFailure) {
    CalcState state = withVapors(halfMask(), {test::kBenzene});
    state.bedDepth = 0;
    const CalculateOutcome outcome = Calculate(state, test::rowsOf(state));
    EXPECT_EQ(outcome.status, CalculateStatus::Failed);
    EXPECT_FALSE(outcome.errorText.empty());
    EXPECT_EQ(outcome.errorText.find("Arithmetic Overflow."), std::string::npos) << outcome.errorText;
}

}  // namespace
}  // namespace quandrelle
