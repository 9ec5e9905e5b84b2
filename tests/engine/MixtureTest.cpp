#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Scenarios.h"
#include "quandrelle/engine/BTSorting.h"
#include "quandrelle/engine/IAST.h"
#include "quandrelle/engine/ModBreakTime.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/engine/WtdCalcs.h"

namespace quandrelle {
namespace {

using test::halfMask;
using test::withVapors;

// ---- Slot ordering ----

void fillSlot(CalcState& state, int j) {
    VaporData& vapor = state.vapors[j];
    vapor.chemName = "Vapor " + std::to_string(j);
    vapor.affinityCoef = j + 0.01;
    vapor.satPressure = j + 0.02;
    vapor.molVolume = j + 0.03f;
    vapor.antoineA = j + 0.04f;
    vapor.antoineB = j + 0.05f;
    vapor.antoineC = j + 0.06f;
    vapor.molPolariz = j + 0.07f;
    vapor.casNumber = "CAS " + std::to_string(j);
    vapor.molWt = j + 0.08f;
    vapor.waterSolFactor = j + 0.09f;
    vapor.liqDensity = j + 0.10f;
    vapor.avgConc = j + 0.11f;
    state.partialPress[j] = j + 0.12;
    state.adsFraction[j] = j + 0.13;
    state.molarCapacity[j] = j + 0.14;
    state.breakConc[j] = j + 0.15;
    state.breakFraction[j] = j + 0.16;
    state.breakTime[j] = j + 0.17;   // stays by position
    state.stagePress[j] = j + 0.18;  // stays by position
}

void expectSlotHolds(const CalcState& state, int slot, int j) {
    SCOPED_TRACE("slot " + std::to_string(slot) + " should hold vapor " + std::to_string(j));
    const VaporData& vapor = state.vapors[slot];
    EXPECT_EQ(vapor.chemName, "Vapor " + std::to_string(j));
    EXPECT_EQ(vapor.affinityCoef, j + 0.01);
    EXPECT_EQ(vapor.satPressure, j + 0.02);
    EXPECT_EQ(vapor.molVolume, j + 0.03f);
    EXPECT_EQ(vapor.antoineA, j + 0.04f);
    EXPECT_EQ(vapor.antoineB, j + 0.05f);
    EXPECT_EQ(vapor.antoineC, j + 0.06f);
    EXPECT_EQ(vapor.molPolariz, j + 0.07f);
    EXPECT_EQ(vapor.casNumber, "CAS " + std::to_string(j));
    EXPECT_EQ(vapor.molWt, j + 0.08f);
    EXPECT_EQ(vapor.waterSolFactor, j + 0.09f);
    EXPECT_EQ(vapor.liqDensity, j + 0.10f);
    EXPECT_EQ(vapor.avgConc, j + 0.11f);
    EXPECT_EQ(state.partialPress[slot], j + 0.12);
    EXPECT_EQ(state.adsFraction[slot], j + 0.13);
    EXPECT_EQ(state.molarCapacity[slot], j + 0.14);
    EXPECT_EQ(state.breakConc[slot], j + 0.15);
    EXPECT_EQ(state.breakFraction[slot], j + 0.16);
}

std::vector<std::string> namesOf(const CalcState& state) {
    std::vector<std::string> names;
    for (int i = 1; i <= state.vaporCount; ++i) {
        names.push_back(state.vapors[i].chemName);
    }
    return names;
}

CalcState sortWithKeys(const std::vector<double>& keys) {
    CalcState state;
    state.vaporCount = state.mixCount = static_cast<std::int16_t>(keys.size());
    for (int j = 1; j <= state.vaporCount; ++j) {
        fillSlot(state, j);
    }
    for (int j = 1; j <= 5; ++j) {
        state.sortKey[j] = kUnsortedKey;
    }
    for (int j = 1; j <= state.vaporCount; ++j) {
        state.sortKey[j] = keys[static_cast<std::size_t>(j - 1)];
    }
    ReorderSlots(state);
    return state;
}

TEST(ReorderSlots, EveryMovingQuantityGoesWithItsVaporAndTheOthersStay) {
    const CalcState state = sortWithKeys({120, 45, 300});
    expectSlotHolds(state, 1, 2);
    expectSlotHolds(state, 2, 1);
    expectSlotHolds(state, 3, 3);
    for (int j = 1; j <= 3; ++j) {
        EXPECT_EQ(state.breakTime[j], j + 0.17);
        EXPECT_EQ(state.stagePress[j], j + 0.18);
        EXPECT_EQ(state.sortKey[j], kUnsortedKey);
    }
}

TEST(ReorderSlots, EqualKeysKeepTheLowerSlotFirst) {
    const CalcState state = sortWithKeys({50, 20, 50, 20, 10});
    EXPECT_EQ(namesOf(state),
              (std::vector<std::string>{"Vapor 5", "Vapor 2", "Vapor 4", "Vapor 1", "Vapor 3"}));
}

TEST(ReorderSlots, KeysOfAMillionOrMoreStillSortWithoutLosingAVapor) {
    const CalcState state = sortWithKeys({2e6, 1e6, 5, 1e6, 3e9});
    EXPECT_EQ(namesOf(state),
              (std::vector<std::string>{"Vapor 3", "Vapor 2", "Vapor 4", "Vapor 1", "Vapor 5"}));
    expectSlotHolds(state, 2, 2);
    expectSlotHolds(state, 5, 5);
}

TEST(ReorderSlots, OnlyTheSlotsOfTheStageMove) {
    CalcState state;
    state.vaporCount = 3;
    state.mixCount = 2;
    for (int j = 1; j <= 3; ++j) {
        fillSlot(state, j);
    }
    state.sortKey[1] = 9;
    state.sortKey[2] = 1;
    state.sortKey[3] = 0;  // outside the stage: ignored
    ReorderSlots(state);
    EXPECT_EQ(namesOf(state), (std::vector<std::string>{"Vapor 2", "Vapor 1", "Vapor 3"}));
}

// ---- Mixture equilibrium ----

TEST(Equilibrium, TwoEqualVaporsShareTheCarbon) {
    test::VaporInput twin = test::kToluene;
    CalcState state = withVapors(halfMask(), {test::kToluene, twin});
    state.vapors[2].chemName = "Toluene twin";
    PrepareRun(state);
    InitialFractions(state);
    SolveAdsorbedFractions(state);
    EXPECT_NEAR(state.adsFraction[1], 0.5, 0.001);
    EXPECT_NEAR(state.adsFraction[2], 0.5, 0.001);
    EXPECT_DOUBLE_EQ(state.adsFraction[1] + state.adsFraction[2], 1.0);
}

TEST(Equilibrium, OneVaporHoldsTheWholeAdsorbedPhase) {
    CalcState state = withVapors(halfMask(), {test::kBenzene});
    PrepareRun(state);
    InitialFractions(state);
    SolveAdsorbedFractions(state);
    EXPECT_EQ(state.adsFraction[1], 1.0);
    // With one vapor the mixture capacity is the single-vapor Dubinin-Radushkevich capacity.
    const VaporData& benzene = state.vapors[1];
    EXPECT_NEAR(MixCapacityDry(state, 1) * benzene.molVolume * benzene.liqDensity,
                singleVaporCapacity(state, 1), 1e-12);
    EXPECT_EQ(MixAffinity(state, 1), benzene.affinityCoef);
    EXPECT_EQ(MixMolarVolume(state, 1), static_cast<double>(benzene.molVolume));
}

TEST(Equilibrium, StrongerVaporTakesTheLargerFraction) {
    CalcState state = withVapors(halfMask(), {test::kAcetone, test::kToluene, test::kBenzene});
    PrepareRun(state);
    InitialFractions(state);
    SolveAdsorbedFractions(state);
    EXPECT_NEAR(state.adsFraction[1] + state.adsFraction[2] + state.adsFraction[3], 1.0, 1e-12);
    EXPECT_GT(state.adsFraction[2], state.adsFraction[3]);  // toluene over benzene at equal ppm
    EXPECT_GT(state.adsFraction[3], state.adsFraction[1]);  // benzene over acetone
}

// A reference vapor sitting at the lowest spreading pressure its series allows, and a searched
// vapor whose spreading pressure can never come down to it: the scan would rise for ever.
CalcState unmatchableScan() {
    CalcState state;
    state.tempK = 296.15f;
    state.benzenePotential = 19;
    state.vaporCount = 3;
    state.mixCount = 2;
    for (int slot : {1, 2}) {
        state.vapors[slot].chemName = slot == 1 ? "Searched" : "Reference";
        state.vapors[slot].affinityCoef = 1;
        state.vapors[slot].satPressure = 10;
    }
    state.vapors[1].molVolume = 50;
    state.vapors[2].molVolume = 100;
    state.partialPress[1] = 0.01;
    state.partialPress[2] = 0.0001;
    state.adsFraction[2] = 0.886;  // reduced potential near 1.4767, where the series peaks
    return state;
}

TEST(Equilibrium, ScanThatCanOnlyRiseStopsWithAClearError) {
    CalcState state = unmatchableScan();
    try {
        MatchSpreadingPressure(state, 1);
        FAIL() << "the scan ended";
    } catch (const CalcError& error) {
        EXPECT_EQ(error.kind(), CalcErrorKind::NoConvergence);
        EXPECT_EQ(error.description(),
                  "No convergence in the mixture equilibrium (stage 2): no adsorbed fraction of Searched "
                  "matches the "
                  "spreading pressure of Reference; its spreading pressure stays above and rises with the "
                  "fraction. Please check the vapor data.");
    }
    // It stops as soon as the rise is certain, far below the last-resort step bound.
    EXPECT_LT(state.adsFraction[1], 1000.0);
    EXPECT_GE(state.potentialRatio[1], 1.5);
}

TEST(Equilibrium, LongScansEndWhereTheStepByStepScanEnds) {
    // A reference vapor far up its isotherm needs a searched fraction above 10: well over 10^5 steps.
    CalcState state = unmatchableScan();
    state.vapors[1].molVolume = 100;
    state.adsFraction[2] = 0.2;
    CalcState stepByStep = state;
    const double leaped = MatchSpreadingPressure(state, 1);
    ASSERT_GT(leaped, 10);
    // The plain scan, written out: one step at a time, both spreading pressures every step.
    stepByStep.adsFraction[1] = kFractionStep;
    SpreadingPressure(stepByStep, 1);
    SpreadingPressure(stepByStep, 2);
    while (1e6 * (stepByStep.spreadPressure[1] - stepByStep.spreadPressure[2]) > 1) {
        stepByStep.adsFraction[1] = stepByStep.adsFraction[1] + kFractionStep;
        SpreadingPressure(stepByStep, 1);
        SpreadingPressure(stepByStep, 2);
    }
    EXPECT_EQ(leaped, stepByStep.adsFraction[1]);
    EXPECT_EQ(state.spreadPressure[1], stepByStep.spreadPressure[1]);
    EXPECT_EQ(state.potentialRatio[1], stepByStep.potentialRatio[1]);
}

TEST(Equilibrium, VaporWithoutPartialPressureIsReportedByName) {
    CalcState state = withVapors(halfMask(), {test::kBenzene, test::kToluene, test::kHexane});
    PrepareRun(state);
    InitialFractions(state);
    state.partialPress[2] = 0;
    try {
        SolveAdsorbedFractions(state);
        FAIL() << "a zero partial pressure was accepted";
    } catch (const CalcError& error) {
        EXPECT_EQ(error.kind(), CalcErrorKind::DivisionByZero);
        EXPECT_EQ(error.description(),
                  "Division by zero in the mixture equilibrium: the partial pressure of Toluene fell to 0 in "
                  "stage 3");
    }
}

// ---- Whole runs ----

void expectSameRun(const CalcState& a, const CalcState& b) {
    EXPECT_EQ(namesOf(a), namesOf(b));
    EXPECT_EQ(a.breakTimeResult, b.breakTimeResult);
    EXPECT_EQ(a.breakTimeMin, b.breakTimeMin);
    EXPECT_EQ(a.breakTimeMax, b.breakTimeMax);
    EXPECT_EQ(a.breakTime, b.breakTime);
    EXPECT_EQ(a.adsFraction, b.adsFraction);
    EXPECT_EQ(a.partialPress, b.partialPress);
    EXPECT_EQ(a.molarCapacity, b.molarCapacity);
    EXPECT_EQ(a.zoneWater, b.zoneWater);
    EXPECT_EQ(a.zoneRH, b.zoneRH);
    EXPECT_EQ(a.zoneOrganic, b.zoneOrganic);
    EXPECT_EQ(a.totalPressure, b.totalPressure);
    EXPECT_EQ(a.elapsedTime, b.elapsedTime);
    EXPECT_EQ(a.kvEffective, b.kvEffective);
    EXPECT_EQ(a.mixSum, b.mixSum);
}

struct RunCase {
    const char* label;
    std::vector<test::VaporInput> vapors;
    float relHumidity;
};

class WholeRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(WholeRunTest, StageConstantsAndLeapsGiveBitIdenticalResults) {
    CalcState fast = withVapors(halfMask(GetParam().relHumidity), GetParam().vapors);
    PrepareRun(fast);
    CalcState plain = fast;
    MixtureSequence(fast);
    MixtureSequenceStepByStep(plain);
    expectSameRun(fast, plain);
    EXPECT_EQ(fast.mixCount, 1);
    for (int p = 1; p <= fast.vaporCount; ++p) {
        EXPECT_GT(fast.breakTimeResult[p], 0) << p;
        EXPECT_LE(fast.breakTimeMin[p], fast.breakTimeResult[p]);
        EXPECT_GE(fast.breakTimeMax[p], fast.breakTimeResult[p]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mixtures, WholeRunTest,
    ::testing::Values(
        RunCase{"Benzene", {test::kBenzene}, 0.5f}, RunCase{"BenzeneHumid", {test::kBenzene}, 0.85f},
        RunCase{"TwoVapors", {test::kBenzene, test::kToluene}, 0.5f},
        RunCase{"ThreeVapors", {test::kToluene, test::kBenzene, test::kAcetone}, 0.5f},
        RunCase{"FiveVapors",
                {test::kBenzene, test::kToluene, test::kAcetone, test::kHexane, test::kEthylAcetate},
                0.5f}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WholeRun, SingleVaporIsTheOneStageResult) {
    CalcState state = withVapors(halfMask(), {test::kBenzene});
    PrepareRun(state);
    MixtureSequence(state);
    EXPECT_EQ(state.adsFraction[1], 1.0);
    EXPECT_EQ(state.mixCount, 1);
    EXPECT_EQ(state.breakTimeResult[1], state.breakTime[1]);
    // The stage stops at the first step whose elapsed time reaches that step's breakthrough time.
    EXPECT_GE(state.elapsedTime, state.breakTimeResult[1]);
    EXPECT_LT(state.elapsedTime - 0.1, state.breakTimeResult[1]);
    EXPECT_NEAR(state.breakTimeResult[1], 837.9, 0.05);
}

TEST(WholeRun, SlotsEndSortedByStoichiometricTimeInTheFullMixture) {
    CalcState state = withVapors(halfMask(), {test::kToluene, test::kBenzene, test::kAcetone});
    PrepareRun(state);
    MixtureSequence(state);
    EXPECT_EQ(namesOf(state), (std::vector<std::string>{"Acetone", "Benzene", "Toluene"}));
    EXPECT_EQ(state.vapors[1].avgConc, 200.0f);
    EXPECT_EQ(state.breakConc[1], 20.0);
    EXPECT_DOUBLE_EQ(state.breakFraction[1], 0.1);
    EXPECT_LT(state.breakTimeResult[1], state.breakTimeResult[2]);
    EXPECT_LT(state.breakTimeResult[2], state.breakTimeResult[3]);
}

TEST(WholeRun, RollUpThatEmptiesAVaporIsReportedWhereItArises) {
    // Carbon preconditioned at 80 % in very humid air: the roll-up ahead of the hexane front drives
    // toluene's partial pressure to 0, and the next equilibrium would divide by it.
    CalcState state = withVapors(halfMask(0.9f, 0.8f), {test::kBenzene, test::kToluene, test::kAcetone,
                                                        test::kHexane, test::kEthylAcetate});
    PrepareRun(state);
    try {
        MixtureSequence(state);
        FAIL() << "the run ended normally";
    } catch (const CalcError& error) {
        EXPECT_EQ(error.kind(), CalcErrorKind::DivisionByZero);
        EXPECT_EQ(error.description(),
                  "Division by zero in the mixture equilibrium: the partial pressure of Toluene fell to 0 in "
                  "stage 4");
    }
    int toluene = 0;
    for (int i = 1; i <= 5; ++i) {
        if (state.vapors[i].chemName == "Toluene") {
            toluene = i;
        }
    }
    ASSERT_GT(toluene, 0);
    EXPECT_LE(toluene, 4);
    EXPECT_EQ(state.partialPress[toluene], 0.0);
}

struct CycleCase {
    const char* label;
    std::vector<test::VaporInput> vapors;
    const char* description;
};

class CyclingEquilibriumTest : public ::testing::TestWithParam<CycleCase> {};

// Real mixtures, found by searching realistic ones, whose equilibrium falls into an exact cycle of
// passes after a long approach: without the check the passes would repeat for ever.
TEST_P(CyclingEquilibriumTest, IsReportedAtOnce) {
    CalcState state = withVapors(halfMask(0.5f, 0.8f), GetParam().vapors);
    PrepareRun(state);
    try {
        MixtureSequence(state);
        FAIL() << "the run ended normally";
    } catch (const CalcError& error) {
        EXPECT_EQ(error.kind(), CalcErrorKind::NoConvergence);
        EXPECT_EQ(error.description(), GetParam().description);
    }
}

INSTANTIATE_TEST_SUITE_P(
    RealMixtures, CyclingEquilibriumTest,
    ::testing::Values(
        CycleCase{
            "ThreeVaporStage",
            {test::kDichloroethane, test::kAcetonitrile, test::kChlorobenzene, test::kEthylBromide},
            "No convergence in the mixture equilibrium (stage 3): the adsorbed fractions of Ethyl bromide, "
            "1,2-Dichloroethane and Acetonitrile repeat every 1474 passes without settling. Please check "
            "the vapor data."},
        CycleCase{
            "FourVaporStage",
            {test::kBenzene, test::kToluene, test::kAcetone, test::kHexane, test::kEthylAcetate},
            "No convergence in the mixture equilibrium (stage 4): the adsorbed fractions of Hexane, Benzene, "
            "Toluene and Acetone repeat every 27 passes without settling. Please check the vapor data."}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WholeRun, ServiceTimeBeyondAnyCartridgeStopsTheStage) {
    test::VaporInput trace = test::kToluene;
    trace.concentration = 0.05f;
    trace.breakConc = 0.005;
    CalcState state = withVapors(halfMask(), {trace});
    PrepareRun(state);
    try {
        MixtureSequence(state);
        FAIL() << "the run ended normally";
    } catch (const CalcError& error) {
        EXPECT_EQ(error.kind(), CalcErrorKind::NoConvergence);
        EXPECT_EQ(
            error.description(),
            "No breakthrough time for Toluene (stage 1): the simulated service time passed 100000 minutes "
            "(more than 69 days of continuous use), longer than any cartridge is worn. Please check the "
            "concentrations and the cartridge data.");
    }
    EXPECT_GT(state.elapsedTime, kMaxServiceMinutes);
    EXPECT_LT(state.elapsedTime, kMaxServiceMinutes + 0.2);
}

}  // namespace
}  // namespace quandrelle
