#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "Scenarios.h"
#include "quandrelle/engine/CalcError.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/engine/ResultTexts.h"

namespace quandrelle {
namespace {

struct NameCase {
    const char* name;
    bool noneSelected;
};

class NoneSelectedName : public ::testing::TestWithParam<NameCase> {};

TEST_P(NoneSelectedName, IsJudgedTrimmedAndInAnyCase) {
    EXPECT_EQ(isNoneSelected(GetParam().name), GetParam().noneSelected) << "[" << GetParam().name << "]";
}

INSTANTIATE_TEST_SUITE_P(Names, NoneSelectedName,
                         ::testing::Values(NameCase{"None Selected", true},
                                           NameCase{"  none selected  ", true},
                                           NameCase{"NONE SELECTED", true}, NameCase{"", false},
                                           NameCase{"   ", false}, NameCase{"None  Selected", false},
                                           NameCase{"None Selected 2", false}, NameCase{"Benzene", false}));

TEST(StoreConditions, StoresSinglesTheHumidityFractionAndAWholeCountHalvesToEven) {
    CalcState state;
    storeConditions(
        state, {.temperature = 23.1, .pressure = 1, .relHumidity = 65, .cartridges = 2.5, .airFlow = 30});
    EXPECT_EQ(state.tempC, 23.1f);
    EXPECT_EQ(state.atmPressure, 1.0f);
    EXPECT_EQ(state.relHumidity, 0.65f);
    EXPECT_EQ(state.cartsPerRespirator, 2);
    EXPECT_EQ(state.airFlow, 30.0f);
    storeCartridges(state, 3.5);
    EXPECT_EQ(state.cartsPerRespirator, 4);
}

TEST(StoreConditions, AValueBeyondSinglePrecisionLeavesEveryConditionAsItWas) {
    CalcState state;
    storeConditions(state,
                    {.temperature = 23, .pressure = 1, .relHumidity = 50, .cartridges = 2, .airFlow = 30});
    EXPECT_THROW(storeConditions(state, {.temperature = 30,
                                         .pressure = 1,
                                         .relHumidity = 50,
                                         .cartridges = 2,
                                         .airFlow = std::numeric_limits<double>::max()}),
                 CalcError);
    EXPECT_EQ(state.tempC, 23.0f);
    EXPECT_EQ(state.airFlow, 30.0f);
}

TEST(StoreCartridge, WaterAffinityReadsThePreconditioningStoredWithIt) {
    CalcState state;
    CartridgeInput cartridge{.name = "Test cartridge A",
                             .bedDiameter = 8,
                             .bedDepth = 3,
                             .carbonWeight = 26,
                             .microporeVolume = 0.45,
                             .precondRH = 80,
                             .granuleDiameter = 0.1,
                             .benzenePotential = 19,
                             .waterAffinity = 0.06};
    storeCartridge(state, cartridge);
    EXPECT_EQ(state.cartName, "Test cartridge A");
    EXPECT_EQ(state.precondRH, 0.8f);
    EXPECT_EQ(state.waterAffinity, 0.099999994f);
    EXPECT_EQ(state.waterAffinityHalf, 0.049999997f);
    cartridge.precondRH = 50;
    storeCartridge(state, cartridge);
    EXPECT_EQ(state.waterAffinity, 0.06f);
    cartridge.name = "Changed";
    cartridge.bedDepth = 1e39;
    EXPECT_THROW(storeCartridge(state, cartridge), CalcError);
    EXPECT_EQ(state.cartName, "Test cartridge A");
}

TEST(StoreVapor, StoresTheSlotAsSinglesAndNothingWhenANumberIsTooLarge) {
    CalcState state;
    VaporInput vapor{.name = "Benzene",
                     .molWt = 78.11,
                     .liqDensity = 0.8765,
                     .molPolariz = 26.2,
                     .waterSolFactor = 0,
                     .concentration = 100,
                     .antoineA = 15.9008,
                     .antoineB = 2788.51,
                     .antoineC = -52.36,
                     .cas = "71-43-2"};
    storeVapor(state, 2, vapor);
    EXPECT_EQ(state.vapors[2].chemName, "Benzene");
    EXPECT_EQ(state.vapors[2].molWt, 78.11f);
    EXPECT_EQ(state.vapors[2].antoineC, -52.36f);
    EXPECT_EQ(state.vapors[2].casNumber, "71-43-2");
    vapor.name = "Other";
    vapor.antoineB = 1e40;
    EXPECT_THROW(storeVapor(state, 2, vapor), CalcError);
    EXPECT_EQ(state.vapors[2].chemName, "Benzene");
}

TEST(StoreConcentration, SetsTheBreakFractionOnlyFromAConcentrationAboveZero) {
    CalcState state;
    state.breakConc[2] = 5;
    storeConcentration(state, 2, 100);
    EXPECT_EQ(state.vapors[2].avgConc, 100.0f);
    EXPECT_EQ(state.breakFraction[2], 0.05);
    // No fraction follows from a concentration of 0: the last one stays.
    storeConcentration(state, 2, 0);
    EXPECT_EQ(state.vapors[2].avgConc, 0.0f);
    EXPECT_EQ(state.breakFraction[2], 0.05);
    EXPECT_THROW(storeConcentration(state, 2, 1e39), CalcError);
    EXPECT_EQ(state.vapors[2].avgConc, 0.0f);
}

TEST(ResultRows, ShowTheRunInItsFormatsAndNothingForFreeSlots) {
    CalcState state = test::withVapors(test::halfMask(), {test::kBenzene});
    state.breakTimeResult[1] = 12;
    state.breakTimeMin[1] = 12.5;
    state.breakTimeMax[1] = 13.4;
    state.breakTimeResult[2] = 99;  // left from an earlier run in a slot now free
    const ResultRows rows = resultRows(state);
    EXPECT_TRUE(rows[1].inUse);
    EXPECT_EQ(rows[1].name, "Benzene");
    EXPECT_EQ(rows[1].concentration, "100");
    EXPECT_EQ(rows[1].breakConc, "10");
    EXPECT_EQ(rows[1].estimate, "12.");
    EXPECT_EQ(rows[1].minimum, "13");
    EXPECT_EQ(rows[1].maximum, "13");
    EXPECT_FALSE(rows[2].inUse);
    EXPECT_EQ(rows[2].name, "None Selected");
    EXPECT_TRUE(rows[2].estimate.empty());
    EXPECT_TRUE(rows[2].concentration.empty());
}

TEST(ConditionTexts, ShowTheConditionsAndTheEquivalentConcentrationOfVaporOne) {
    CalcState state = test::withVapors(test::halfMask(0.05f), {test::kBenzene});
    state.tempC = 25;
    const ConditionTexts texts = conditionTexts(state);
    EXPECT_EQ(texts.temperature, "25");
    EXPECT_EQ(texts.pressure, "1.00");
    EXPECT_EQ(texts.relHumidity, "05");
    EXPECT_EQ(texts.airFlow, "30");
    EXPECT_EQ(texts.equivalentConcentration, "319.3");
    state.vapors[1].chemName = kNoneSelected;
    EXPECT_TRUE(conditionTexts(state).equivalentConcentration.empty());
}

}  // namespace
}  // namespace quandrelle
