#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "BTSorting.h"
#include "IAST.h"
#include "ModBreakTime.h"
#include "Scenarios.h"
#include "WtdCalcs.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/ResultTexts.h"
#include "quandrelle/engine/SetUp.h"

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

TEST(Equilibrium, VaporWithoutPartialPressureTakesNoPartInTheMatching) {
    CalcState state = withVapors(halfMask(), {test::kBenzene, test::kToluene, test::kHexane});
    PrepareRun(state);
    InitialFractions(state);
    state.partialPress[2] = 0;
    SolveAdsorbedFractions(state);
    EXPECT_EQ(state.adsFraction[2], 0.0);
    EXPECT_DOUBLE_EQ(state.adsFraction[1] + state.adsFraction[3], 1.0);
    // The two vapors left share the carbon at equal spreading pressures.
    SpreadingPressure(state, 1);
    SpreadingPressure(state, 3);
    EXPECT_NEAR(state.spreadPressure[1], state.spreadPressure[3], 2e-6);
}

// A stage's equilibrium as the bracketing solver finds it, against the iterative solver's where
// that one settles: the same equations, so the same fractions up to the iterative grid of 0.0001.
TEST(Equilibrium, BracketingFindsWhatTheIterativeSolverFindsWhereItSettles) {
    const std::vector<std::vector<test::VaporInput>> mixtures = {
        {test::kBenzene, test::kToluene},
        {test::kAcetone, test::kToluene, test::kBenzene},
        {test::kBenzene, test::kToluene, test::kAcetone, test::kHexane, test::kEthylAcetate}};
    for (const auto& vapors : mixtures) {
        CalcState state = withVapors(halfMask(), vapors);
        PrepareRun(state);
        InitialFractions(state);
        const std::optional<AdsorbedFractions> bracketed = BracketAdsorbedFractions(state, 1.0);
        ASSERT_TRUE(bracketed.has_value()) << vapors.size();
        SolveAdsorbedFractions(state);
        for (int i = 1; i <= state.vaporCount; ++i) {
            EXPECT_NEAR((*bracketed)[static_cast<std::size_t>(i)], state.adsFraction[i], 0.002) << i;
        }
    }
}

// The defining property over many stages of generated pressures: where a solution is given, every
// spreading pressure (as the model computes it) is within 10^-6 of the reference vapor's, each on
// its falling stretch, and the fractions sum to the target; vapors without pressure hold nothing.
TEST(Equilibrium, BracketedFractionsHaveEqualSpreadingPressuresAndTheTargetSum) {
    const std::vector<test::VaporInput> library = {
        test::kBenzene,      test::kToluene,       test::kAcetone,
        test::kHexane,       test::kEthylAcetate,  test::kDichloroethane,
        test::kAcetonitrile, test::kChlorobenzene, test::kEthylBromide};
    std::mt19937_64 random(11);
    auto unit = [&] { return static_cast<double>(random() >> 11) * 0x1p-53; };
    int solved = 0;
    for (int n = 0; n < 400; ++n) {
        const int k = 2 + n % 4;
        std::vector<test::VaporInput> vapors;
        for (int i = 0; i < k; ++i) {
            test::VaporInput vapor = library[random() % library.size()];
            vapor.concentration = static_cast<float>(std::exp(unit() * std::log(2000.0)));
            vapors.push_back(vapor);
        }
        CalcState state = withVapors(halfMask(), vapors);
        PrepareRun(state);
        if (n % 5 == 0) {
            state.partialPress[1 + static_cast<int>(random() % static_cast<unsigned>(k))] = 0;
        }
        const double target = 0.02 + 0.98 * unit();
        const std::optional<AdsorbedFractions> fractions = BracketAdsorbedFractions(state, target);
        if (!fractions) {
            continue;
        }
        ++solved;
        double sum = 0;
        int reference = k;
        while (hasNoPartialPressure(state, reference)) {
            --reference;
        }
        for (int i = 1; i <= k; ++i) {
            state.adsFraction[i] = (*fractions)[static_cast<std::size_t>(i)];
            sum += state.adsFraction[i];
        }
        int present = 0;
        for (int i = 1; i <= k; ++i) {
            present += hasNoPartialPressure(state, i) ? 0 : 1;
        }
        SpreadingPressure(state, reference);
        for (int i = 1; i <= k; ++i) {
            if (hasNoPartialPressure(state, i)) {
                EXPECT_EQ(state.adsFraction[i], 0.0);
                continue;
            }
            SpreadingPressure(state, i);
            EXPECT_LE(std::fabs(state.spreadPressure[i] - state.spreadPressure[reference]), 1e-6) << n;
            // A vapor alone holds the whole sum wherever that puts it; matched vapors stay on the
            // stretch where spreading pressure falls as the fraction grows.
            if (present > 1) {
                EXPECT_LE(std::fabs(state.potentialRatio[i]), 1.4768) << n;
            }
        }
        EXPECT_NEAR(sum, target, 1e-9) << n;
    }
    EXPECT_GT(solved, 300);
}

TEST(Equilibrium, NoFractionsAreGivenWhereTheSumCannotBeReached) {
    CalcState state = withVapors(halfMask(), {test::kBenzene, test::kToluene});
    PrepareRun(state);
    // Far more adsorbed phase than both falling stretches together can hold.
    EXPECT_FALSE(BracketAdsorbedFractions(state, 1e6).has_value());
    EXPECT_FALSE(BracketAdsorbedFractions(state, 0).has_value());
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

int slotNamed(const CalcState& state, const std::string& name) {
    for (int i = 1; i <= state.vaporCount; ++i) {
        if (state.vapors[i].chemName == name) {
            return i;
        }
    }
    return 0;
}

void expectWithinOwnRanges(const CalcState& state) {
    for (int p = 1; p <= state.vaporCount; ++p) {
        EXPECT_LE(state.breakTimeMin[p], state.breakTimeResult[p]) << p;
        EXPECT_LE(state.breakTimeResult[p], state.breakTimeMax[p]) << p;
    }
}

// A zone whose vapors the roll-up has all taken out of the air holds none of them: like the zone
// ahead of every front, it has no capacity, where the weighted quantities would divide 0 by 0.
TEST(MixtureCapacity, AZoneWhoseVaporsAreAllGoneHoldsNothing) {
    CalcState state = withVapors(halfMask(), {test::kBenzene, test::kToluene});
    PrepareRun(state);
    state.mixCount = 2;
    state.partialPress[1] = 0;
    state.adsFraction[1] = 0;
    state.adsFraction[2] = 1;
    EXPECT_EQ(MixCapacityWet(state, 1), 0.0);
    EXPECT_EQ(MixCapacityDry(state, 1), 0.0);
    // The zone that also holds toluene keeps its capacity.
    EXPECT_GT(MixCapacityWet(state, 2), 0.0);
    EXPECT_GT(MixCapacityDry(state, 2), 0.0);
}

TEST(WholeRun, AVaporTheRollUpEmptiesBreaksThroughWithTheFrontAheadOfIt) {
    // Carbon preconditioned at 80 % in very humid air: the roll-up ahead of the front of the stage-5
    // vapor drives toluene's partial pressure to 0.
    CalcState state = withVapors(halfMask(0.9f, 0.8f), {test::kBenzene, test::kToluene, test::kAcetone,
                                                        test::kHexane, test::kEthylAcetate});
    PrepareRun(state);
    MixtureSequence(state);
    const int toluene = slotNamed(state, "Toluene");
    ASSERT_GT(toluene, 0);
    ASSERT_LT(toluene, 5);
    EXPECT_EQ(state.partialPress[toluene], 0.0);
    EXPECT_EQ(state.adsFraction[toluene], 0.0);
    EXPECT_EQ(state.runReport.method, RunMethod::Fallback);
    // Its time and range are those of the stage in which it breaks through.
    int with = toluene + 1;
    while (state.partialPress[with] == 0) {
        ++with;
    }
    EXPECT_EQ(state.breakTimeResult[toluene], state.breakTimeResult[with]);
    EXPECT_EQ(state.breakTimeMin[toluene], state.breakTimeMin[with]);
    EXPECT_EQ(state.breakTimeMax[toluene], state.breakTimeMax[with]);
    const std::string note = "Toluene: its partial pressure fell to 0 in the roll-up of stage " +
                             std::to_string(toluene) + ", so it is gone from the air ahead of the " +
                             state.vapors[with].chemName + " front";
    bool noted = false;
    for (const std::string& text : state.runReport.notes) {
        noted = noted || text.starts_with(note);
    }
    EXPECT_TRUE(noted) << ::testing::PrintToString(state.runReport.notes);
    expectWithinOwnRanges(state);
}

TEST(WholeRun, WithoutAnEquilibriumEveryVaporGetsTheShortestSingleVaporTime) {
    // At stage 3 the roll-up has taken Hexane out of the air, and no fractions of the other two on
    // the falling stretches of their spreading pressures sum to 1: the model has no answer of its own.
    const std::vector<test::VaporInput> vapors = {test::kBenzene, test::kToluene, test::kAcetone,
                                                  test::kHexane, test::kEthylAcetate};
    CalcState state = withVapors(halfMask(0.5f, 0.8f), vapors);
    PrepareRun(state);
    MixtureSequence(state);
    ASSERT_EQ(state.runReport.method, RunMethod::Conservative);
    ASSERT_EQ(state.runReport.notes.size(), 1u);
    EXPECT_TRUE(
        state.runReport.notes[0].starts_with("No equilibrium of the mixture under the model: at stage 3 "
                                             "(Hexane, Benzene and Toluene) the partial pressure of Hexane "
                                             "fell to 0 in the roll-up, and no fractions on the falling"))
        << state.runReport.notes[0];
    EXPECT_NE(state.runReport.notes[0].find("conservative estimate"), std::string::npos);

    // Each vapor alone at the mixture's 550 ppm, with its own breakthrough concentration.
    double shortest = 1e300;
    CalcState shortestRun;
    for (test::VaporInput vapor : vapors) {
        vapor.concentration = 550;
        CalcState alone = withVapors(halfMask(0.5f, 0.8f), {vapor});
        ASSERT_EQ(Calculate(alone, test::rowsOf(alone)).status, CalculateStatus::Done);
        if (alone.breakTimeResult[1] < shortest) {
            shortest = alone.breakTimeResult[1];
            shortestRun = alone;
        }
    }
    for (int p = 1; p <= 5; ++p) {
        EXPECT_EQ(state.breakTimeResult[p], shortestRun.breakTimeResult[1]) << p;
        EXPECT_EQ(state.breakTimeMin[p], shortestRun.breakTimeMin[1]) << p;
        EXPECT_EQ(state.breakTimeMax[p], shortestRun.breakTimeMax[1]) << p;
    }
}

// The run of a user's report: the roll-up of stage 1 takes the first vapor out of the air, whose
// estimate was shown as 0 beside the range left from stage 2.
TEST(WholeRun, EveryVaporGetsTheTimeAndRangeOfOneStage) {
    CalcState state;
    state.cartName = "Reported";
    state.bedDiameter = 7.518f;
    state.bedDepth = 1.522f;
    state.carbonWeight = 182.14f;
    state.microporeVolume = 0.772f;
    state.precondRH = 0.73f;
    state.granuleDiameter = 0.138f;
    state.benzenePotential = 25;
    setBetaH2O(state, 0.029f);
    state.tempC = 1.4f;
    state.atmPressure = 1.275f;
    state.relHumidity = 0.57f;
    state.cartsPerRespirator = 9;
    state.airFlow = 89.4f;
    state = withVapors(
        state, {{"Vapor A", 67.93f, 1.2523f, 47.24f, 0, 1689.97f, 17.9176f, 3284.09f, -46.176f, 353.382},
                {"Vapor B", 156.04f, 1.5568f, 34.17f, 1, 1640.9f, 16.7782f, 4087.95f, -32.603f, 793.717}});
    ASSERT_EQ(Calculate(state, test::rowsOf(state)).status, CalculateStatus::Done);
    EXPECT_EQ(state.partialPress[1], 0.0);
    EXPECT_EQ(state.breakTimeResult[1], state.breakTimeResult[2]);
    EXPECT_EQ(state.breakTimeMin[1], state.breakTimeMin[2]);
    EXPECT_EQ(state.breakTimeMax[1], state.breakTimeMax[2]);
    EXPECT_EQ(formatNumber(state.breakTimeResult[1], "#.#"), "3.6");
    expectWithinOwnRanges(state);
}

struct StallCase {
    const char* label;
    CalcState state;
    const char* provenNote;    // how the note of the run with the proofs begins
    const char* unprovenNote;  // and of the run whose passes go on until they repeat
};

class StalledEquilibriumTest : public ::testing::TestWithParam<StallCase> {};

// Real mixtures whose iterative equilibrium never settles: the passes end at the proof that they
// cannot, and the bracketing solver answers the stage. Its answer does not depend on when the passes
// end, so the run whose passes go on until they repeat gives the same results to the bit.
TEST_P(StalledEquilibriumTest, StopsAtTheProofWithTheBracketingSolversAnswer) {
    CalcState proven = GetParam().state;
    PrepareRun(proven);
    MixtureSequence(proven);
    CalcState unproven = GetParam().state;
    PrepareRun(unproven);
    MixtureSequenceWithoutStallProofs(unproven);
    for (const CalcState* run : {&proven, &unproven}) {
        EXPECT_EQ(run->runReport.method, RunMethod::Fallback);
        ASSERT_FALSE(run->runReport.notes.empty());
    }
    const auto startOf = [](const CalcState& run, const char* note) {
        return run.runReport.notes.front().substr(0, std::string(note).size());
    };
    EXPECT_EQ(startOf(proven, GetParam().provenNote), GetParam().provenNote);
    EXPECT_EQ(startOf(unproven, GetParam().unprovenNote), GetParam().unprovenNote);
    for (int p = 1; p <= proven.vaporCount; ++p) {
        EXPECT_EQ(proven.breakTimeResult[p], unproven.breakTimeResult[p]) << p;
        EXPECT_EQ(proven.breakTimeMin[p], unproven.breakTimeMin[p]) << p;
        EXPECT_EQ(proven.breakTimeMax[p], unproven.breakTimeMax[p]) << p;
        EXPECT_EQ(proven.adsFraction[p], unproven.adsFraction[p]) << p;
    }
    expectWithinOwnRanges(proven);
}

INSTANTIATE_TEST_SUITE_P(
    RealMixtures, StalledEquilibriumTest,
    ::testing::Values(StallCase{
        "PassesThatCycle",
        withVapors(halfMask(0.5f, 0.8f),
                   {test::kDichloroethane, test::kAcetonitrile, test::kChlorobenzene, test::kEthylBromide}),
        "Stage 3 (Ethyl bromide, 1,2-Dichloroethane and Acetonitrile): the iterative solver's "
        "fractions did not settle in 32 passes, and their sum can be shown never to come within "
        "0.001 of 0.023, the sum the stage starts from; the bracketing solver found",
        "Stage 3 (Ethyl bromide, 1,2-Dichloroethane and Acetonitrile): the iterative solver's "
        "fractions repeat every 1474 passes without settling; the bracketing solver found"}),
    [](const auto& info) { return std::string(info.param.label); });

// A trace of toluene that a fresh cartridge would hold for longer than any cartridge is worn.
test::VaporInput tolueneTrace() {
    test::VaporInput trace = test::kToluene;
    trace.concentration = 0.05f;
    trace.breakConc = 0.005;
    return trace;
}

TEST(WholeRun, AFrontBeyondTheServiceCapIsShownAsLongerThanIt) {
    CalcState state = withVapors(halfMask(), {tolueneTrace()});
    PrepareRun(state);
    MixtureSequence(state);
    EXPECT_TRUE(state.beyondServiceCap[1]);
    EXPECT_EQ(state.breakTimeResult[1], kMaxServiceMinutes);
    EXPECT_EQ(state.breakTimeMax[1], kMaxServiceMinutes);
    EXPECT_LE(state.breakTimeMin[1], kMaxServiceMinutes);
    EXPECT_LE(state.elapsedTime, kMaxServiceMinutes);
    EXPECT_GT(state.elapsedTime, kMaxServiceMinutes - 0.2);
    const ResultRowTexts row = resultRows(state)[1];
    EXPECT_EQ(row.estimate + "|" + row.minimum + "|" + row.maximum, "longer than 100,000 min||");
    ASSERT_EQ(state.runReport.notes.size(), 1u);
    EXPECT_EQ(state.runReport.notes[0].substr(0, 52), "Toluene: its front had not passed after 100000 minut");
}

// The weaker vapors' stages go on from the bed at the cap, where its water uptake has long settled:
// their times are the same wherever the cap lies.
TEST(WholeRun, TheStagesAfterACappedFrontDoNotDependOnWhereTheCapLies) {
    test::VaporInput acetone = test::kAcetone;
    acetone.concentration = 10;
    acetone.breakConc = 1;
    const CalcState entered = withVapors(halfMask(), {tolueneTrace(), acetone});
    CalcState atCap = entered;
    CalcState raised = entered;
    PrepareRun(atCap);
    PrepareRun(raised);
    MixtureSequence(atCap);
    MixtureSequenceWithServiceCap(raised, 1.1 * kMaxServiceMinutes);
    ASSERT_EQ(atCap.vapors[2].chemName, "Toluene");
    EXPECT_TRUE(atCap.beyondServiceCap[2] && raised.beyondServiceCap[2]);
    EXPECT_EQ(raised.breakTimeResult[2], 1.1 * kMaxServiceMinutes);
    EXPECT_FALSE(atCap.beyondServiceCap[1]);
    EXPECT_EQ(formatNumber(atCap.breakTimeResult[1], "#.#"), "405.4");
    EXPECT_EQ(atCap.breakTimeResult[1], raised.breakTimeResult[1]);
    EXPECT_EQ(atCap.breakTimeMin[1], raised.breakTimeMin[1]);
    EXPECT_EQ(atCap.breakTimeMax[1], raised.breakTimeMax[1]);
}

}  // namespace
}  // namespace quandrelle
