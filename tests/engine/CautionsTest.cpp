#include <gtest/gtest.h>

#include <cmath>

#include "Scenarios.h"
#include "quandrelle/engine/Cautions.h"

namespace quandrelle {
namespace {

using test::halfMask;
using test::kAcetone;
using test::kBenzene;
using test::kToluene;
using test::withVapors;

bool mentions(const std::vector<std::string>& cautions, const std::string& words) {
    for (const std::string& caution : cautions) {
        if (caution.find(words) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Benzene alone at 23 °C and 50 %, finished well inside a shift: nothing to caution about.
CalcState quietRun() {
    CalcState state = withVapors(halfMask(), {kBenzene});
    state.breakTimeResult[1] = 120;
    return state;
}

// Antoine constants that put the normal boiling point at `celsius`.
void boilAt(VaporData& vapor, double celsius) {
    vapor.antoineA = 16;
    vapor.antoineC = -50;
    vapor.antoineB = static_cast<float>((16 - std::log(760.0)) * (celsius + 273.15 - 50));
}

TEST(NormalBoilingPoint, FollowsFromTheVaporsOwnVaporPressureEquation) {
    CalcState state = withVapors(halfMask(), {kBenzene, kAcetone});
    EXPECT_NEAR(*normalBoilingPointC(state.vapors[1]), 80.1, 0.2);
    EXPECT_NEAR(*normalBoilingPointC(state.vapors[2]), 56.1, 0.2);
}

TEST(NormalBoilingPoint, NoneWhenTheEquationNeverReaches760Torr) {
    VaporData vapor;
    vapor.antoineA = 6;  // exp(6) torr is below one atmosphere at any temperature
    vapor.antoineB = 2000;
    EXPECT_FALSE(normalBoilingPointC(vapor));
    vapor.antoineA = 16;
    vapor.antoineB = 0;
    EXPECT_FALSE(normalBoilingPointC(vapor));
}

TEST(RunCautions, NoneForAnOrdinaryRun) {
    EXPECT_TRUE(runCautions(quietRun(), false).empty());
}

TEST(RunCautions, HumidityAbove65PercentOnly) {
    CalcState state = quietRun();
    state.relHumidity = humidityFraction(65);
    EXPECT_TRUE(runCautions(state, false).empty());
    state.relHumidity = humidityFraction(65.01);
    const auto cautions = runCautions(state, false);
    ASSERT_EQ(cautions.size(), 1u);
    EXPECT_EQ(cautions[0],
              "Humidity above 65 %: water shortens cartridge life and makes this estimate less certain.");
}

TEST(RunCautions, BoilingPointBelow65CelsiusOnly) {
    CalcState state = quietRun();
    boilAt(state.vapors[1], 65.01);
    EXPECT_GE(*normalBoilingPointC(state.vapors[1]), 65.0);
    EXPECT_FALSE(mentions(runCautions(state, false), "Boiling point"));
    boilAt(state.vapors[1], 64.99);
    EXPECT_LT(*normalBoilingPointC(state.vapors[1]), 65.0);
    EXPECT_EQ(
        runCautions(state, false),
        std::vector<std::string>{"Boiling point below 65 °C (Benzene): the vapor migrates through a "
                                 "stored cartridge; do not reuse a partly used cartridge after storage."});
}

TEST(RunCautions, BreakthroughTimeAbove480MinutesOnly) {
    CalcState state = quietRun();
    state.breakTimeResult[1] = 480;
    EXPECT_TRUE(runCautions(state, false).empty());
    state.breakTimeResult[1] = 480.01;
    EXPECT_TRUE(mentions(runCautions(state, false), "Breakthrough time above 8 hours (Benzene)"));
}

TEST(RunCautions, ConcentrationAbove1000PpmOnly) {
    CalcState state = quietRun();
    state.vapors[1].avgConc = 1000;
    EXPECT_TRUE(runCautions(state, false).empty());
    state.vapors[1].avgConc = 1000.01f;
    EXPECT_TRUE(mentions(runCautions(state, false), "Concentration above 1000 ppm (Benzene)"));
}

TEST(RunCautions, ConservativeEstimateOnlyWhenInUse) {
    EXPECT_TRUE(runCautions(quietRun(), false).empty());
    EXPECT_TRUE(mentions(runCautions(quietRun(), true), "Conservative estimate in use"));
}

TEST(RunCautions, NamesEveryVaporConcernedInRunOrder) {
    CalcState state = withVapors(halfMask(), {kToluene, kAcetone, kBenzene});
    for (int slot = 1; slot <= 3; ++slot) {
        state.vapors[slot].avgConc = 1500;
    }
    EXPECT_TRUE(mentions(runCautions(state, false), "(Toluene, Acetone, Benzene)"));
}

TEST(RunCautions, FreeSlotsAndSlotsBeyondTheRunAreIgnored) {
    CalcState state = withVapors(halfMask(), {kBenzene, kToluene});
    state.breakTimeResult[1] = state.breakTimeResult[2] = 100;
    state.vapors[2].chemName = kNoneSelected;
    state.vapors[2].avgConc = 5000;
    state.vapors[3] = state.vapors[1];
    state.vapors[3].avgConc = 5000;
    state.breakTimeResult[3] = 900;
    EXPECT_TRUE(runCautions(state, false).empty());
}

TEST(RunCautions, EveryCautionInItsFixedOrder) {
    CalcState state = withVapors(halfMask(0.9f), {kAcetone});
    state.vapors[1].avgConc = 2000;
    state.vapors[1].molWt = 46;  // small and water-miscible as well
    state.breakTimeResult[1] = 600;
    const auto cautions = runCautions(state, true);
    ASSERT_EQ(cautions.size(), 6u);
    EXPECT_EQ(cautions[0].rfind("Humidity", 0), 0u);
    EXPECT_EQ(cautions[1].rfind("Boiling point", 0), 0u);
    EXPECT_EQ(cautions[2].rfind("Breakthrough time", 0), 0u);
    EXPECT_EQ(cautions[3].rfind("Concentration", 0), 0u);
    EXPECT_EQ(cautions[4].rfind("Water-miscible", 0), 0u);
    EXPECT_EQ(cautions[5].rfind("Conservative", 0), 0u);
}

}  // namespace
}  // namespace quandrelle
