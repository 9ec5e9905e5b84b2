#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Scenarios.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/Inputs.h"

namespace quandrelle {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct ScheduleCase {
    ScheduleInputs input;
    bool accepted;
};

class StoreSchedule : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(StoreSchedule, AcceptsOnlyAFactorOfOneOrMoreAndWornHoursWithinTheShift) {
    CalcState state;
    const ScheduleInputs before = state.schedule;
    if (GetParam().accepted) {
        storeSchedule(state, GetParam().input);
        EXPECT_EQ(state.schedule.safetyFactor, GetParam().input.safetyFactor);
    } else {
        EXPECT_THROW(storeSchedule(state, GetParam().input), ProgrammeInputError);
        EXPECT_EQ(state.schedule.safetyFactor, before.safetyFactor);
        EXPECT_EQ(state.schedule.wornHoursPerShift, before.wornHoursPerShift);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, StoreSchedule,
    ::testing::Values(ScheduleCase{{.safetyFactor = 1, .shiftHours = 8, .wornHoursPerShift = 8}, true},
                      ScheduleCase{{.safetyFactor = 0.999, .shiftHours = 8, .wornHoursPerShift = 8}, false},
                      ScheduleCase{{.safetyFactor = kNaN, .shiftHours = 8, .wornHoursPerShift = 8}, false},
                      ScheduleCase{{.safetyFactor = 0.5, .basis = ScheduleBasis::Minimum}, false},
                      ScheduleCase{{.safetyFactor = 3, .shiftHours = 12, .wornHoursPerShift = 0.5}, true},
                      ScheduleCase{{.safetyFactor = 2, .shiftHours = 8, .wornHoursPerShift = 8.01}, false},
                      ScheduleCase{{.safetyFactor = 2, .shiftHours = 24.5, .wornHoursPerShift = 8}, false},
                      ScheduleCase{{.safetyFactor = 2, .shiftHours = 8, .wornHoursPerShift = 0}, false}));

TEST(StoreExposure, ATypedFactorMustBeOneOrMoreAndTheFacepiecesKeepTheirFactors) {
    CalcState state;
    EXPECT_EQ(protectionFactor(state.exposure), 10);
    storeExposure(state, {.facepiece = Facepiece::FullFacepiece});
    EXPECT_EQ(protectionFactor(state.exposure), 50);
    EXPECT_THROW(storeExposure(state, {.facepiece = Facepiece::Typed, .typedProtectionFactor = 0.5}),
                 ProgrammeInputError);
    EXPECT_EQ(protectionFactor(state.exposure), 50);
    storeExposure(state, {.facepiece = Facepiece::Typed, .typedProtectionFactor = 25});
    EXPECT_EQ(protectionFactor(state.exposure), 25);
}

TEST(StoreExposureLimits, RefusesZeroAnIdlhBelowTheLimitAndKeepsTheSlotAsItWas) {
    CalcState state;
    storeExposureLimits(state, 1, 20, 500);
    EXPECT_THROW(storeExposureLimits(state, 1, 0, std::nullopt), ProgrammeInputError);
    EXPECT_THROW(storeExposureLimits(state, 1, std::nullopt, kNaN), ProgrammeInputError);
    EXPECT_THROW(storeExposureLimits(state, 1, 50, 40), ProgrammeInputError);
    EXPECT_EQ(state.vapors[1].oel, 20);
    EXPECT_EQ(state.vapors[1].idlh, 500);
    storeExposureLimits(state, 1, std::nullopt, std::nullopt);
    EXPECT_FALSE(state.vapors[1].oel);
}

VaporInput vaporNamed(const char* name, double molWt) {
    VaporInput input;
    input.name = name;
    input.molWt = molWt;
    return input;
}

TEST(StoreVapor, KeepsTheLimitsOfTheSameChemicalAndClearsThemForAnother) {
    CalcState state;
    storeVapor(state, 1, vaporNamed("Toluene", 92.14));
    storeExposureLimits(state, 1, 20, 500);
    storeVapor(state, 1, vaporNamed("Toluene", 92.2));
    EXPECT_EQ(state.vapors[1].oel, 20);
    storeVapor(state, 1, vaporNamed("Benzene", 78.11));
    EXPECT_FALSE(state.vapors[1].oel);
    EXPECT_FALSE(state.vapors[1].idlh);
}

TEST(ExposureLimits, TravelWithTheirVaporWhenARunSortsTheSlots) {
    CalcState state = test::withVapors(test::halfMask(), {test::kToluene, test::kAcetone});
    storeExposureLimits(state, 1, 20, 500);
    storeExposureLimits(state, 2, 250, 2500);
    state.vapors[1].dataSource = "library toluene";
    ASSERT_EQ(Calculate(state, test::rowsOf(state)).status, CalculateStatus::Done);
    ASSERT_EQ(state.vapors[1].chemName, "Acetone");
    EXPECT_EQ(state.vapors[1].oel, 250);
    EXPECT_EQ(state.vapors[2].oel, 20);
    EXPECT_EQ(state.vapors[2].idlh, 500);
    EXPECT_EQ(state.vapors[2].dataSource, "library toluene");
}

}  // namespace
}  // namespace quandrelle
