#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "Scenarios.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle {
namespace {

TEST(StoredValues, WaterAffinityIsRaisedByFiveThirdsAbove50PercentPreconditioning) {
    CalcState state;
    state.precondRH = humidityFraction(80);
    setBetaH2O(state, toSingle(0.06));
    // 5/3 x Single(0.06) lies halfway between two Singles in double arithmetic and rounds to even.
    EXPECT_EQ(state.waterAffinity, 0.099999994f);
    EXPECT_NE(state.waterAffinity, 0.1f);
    EXPECT_EQ(state.waterAffinityHalf, 0.049999997f);
}

TEST(StoredValues, WaterAffinityStaysAtExactly50PercentPreconditioning) {
    CalcState state;
    state.precondRH = humidityFraction(50);
    EXPECT_EQ(state.precondRH, 0.5f);
    setBetaH2O(state, 0.06f);
    EXPECT_EQ(state.waterAffinity, 0.06f);
    EXPECT_EQ(state.waterAffinityHalf, 0.03f);
}

TEST(StoredValues, HumidityPercentBecomesASingleFraction) {
    EXPECT_EQ(humidityFraction(65), 0.65f);
    EXPECT_EQ(humidityFraction(5), 0.05f);
}

TEST(StoredValues, CartridgeCountsRoundHalvesToEven) {
    EXPECT_EQ(roundHalfEvenToInt16(2.5), 2);
    EXPECT_EQ(roundHalfEvenToInt16(3.5), 4);
    EXPECT_EQ(roundHalfEvenToInt16(2.4999), 2);
    EXPECT_THROW(roundHalfEvenToInt16(40000), std::out_of_range);
}

TEST(StoredValues, NumbersBeyondSinglePrecisionOverflow) {
    EXPECT_EQ(toSingle(3.4028234663852886e38), 3.4028234663852886e38f);
    EXPECT_THROW(toSingle(1e39), CalcError);
}

TEST(EquivalentConcentration, HundredPpmBenzeneAt25CShows3193) {
    CalcState state;
    state.atmPressure = 1;
    state.tempC = 25;
    state.vapors[1].avgConc = 100;
    state.vapors[1].molWt = 78.11f;
    EXPECT_NEAR(equivalentConcentration(state), 319.2958, 0.00005);
    EXPECT_EQ(generalText(roundHalfEven(equivalentConcentration(state), 2)), "319.3");
}

TEST(EquivalentConcentration, AnyVaporByTheSameFormulaAsVaporOne) {
    CalcState state = test::withVapors(test::halfMask(), {test::kBenzene, test::kToluene});
    state.tempC = 25;
    state.vapors[2].avgConc = 200;
    EXPECT_NEAR(equivalentConcentration(state, 2), 753.3, 0.05);
    const double asSecond = equivalentConcentration(state, 2);
    std::swap(state.vapors[1], state.vapors[2]);
    EXPECT_EQ(equivalentConcentration(state), asSecond);
}

TEST(EquivalentConcentration, InverseStoresTheSinglePrecisionConcentration) {
    CalcState state;
    state.atmPressure = 1;
    state.tempC = 25;
    state.vapors[1].molWt = 78.11f;
    const float ppm = concentrationFromEquivalent(state, 319.3);
    EXPECT_EQ(generalText(ppm), "100.0013");
    state.atmPressure = 0;
    EXPECT_THROW(concentrationFromEquivalent(state, 319.3), CalcError);
}

// A concentration typed in mg/m3 is stored as the ppm it stands for: the mg/m3 of a stored ppm
// converts back to that same Single, at any conditions.
TEST(MassConcentration, ConvertsBackToTheStoredPpm) {
    struct Row {
        float atm, tempC, ppm, molWt;
    };
    for (const Row row : {Row{1, 25, 100, 78.11f}, Row{0.5f, 0, 0.01f, 2}, Row{1.5f, 75, 100000, 1000},
                          Row{0.83f, 33.3f, 287.5f, 92.14f}}) {
        const double mg = massConcentration(row.atm, row.tempC, row.ppm, row.molWt);
        EXPECT_EQ(concentrationFromMass(row.atm, row.tempC, mg, row.molWt), row.ppm) << row.ppm;
    }
    EXPECT_THROW(concentrationFromMass(0, 25, 319.3, 78.11f), CalcError);
}

TEST(FaceVelocity, FollowsTheBedDiameterAndEveryRunTakesItsOwnFlow) {
    CalcState state = test::withVapors(test::halfMask(), {test::kBenzene});
    EXPECT_NEAR(state.faceVelocity, 4.9736, 0.00005);
    // A flow and cartridge count changed after the results screen was filled (results screen, use
    // conditions): the run must not keep the face velocity of the old ones.
    state.airFlow = 60;
    state.cartsPerRespirator = 1;
    PrepareRun(state);
    EXPECT_NEAR(state.faceVelocity, 4 * 4.9736, 0.0002);
    state.bedDiameter = 0;
    EXPECT_THROW(faceVelocityOf(state), CalcError);
}

TEST(PrepareRun, DerivesPerVaporQuantitiesAndStartsTheZonesOfTheMixtureOnly) {
    CalcState state = test::withVapors(test::halfMask(), {test::kBenzene, test::kToluene});
    for (int j = 0; j <= 5; ++j) {
        state.zoneWater[j] = 7;
        state.totalPressure[j] = 3;
    }
    PrepareRun(state);
    EXPECT_NEAR(state.vapors[1].affinityCoef, 0.998, 0.0005);
    EXPECT_EQ(state.vapors[1].molVolume, static_cast<float>(78.11f / 0.8765f));
    EXPECT_EQ(state.tempK, 296.15f);
    EXPECT_EQ(state.mixCount, 2);
    EXPECT_EQ(state.preparingSlot, 0);
    for (int j = 0; j <= 2; ++j) {
        EXPECT_EQ(state.zoneWater[j], state.precondWater);
        EXPECT_EQ(state.zoneRH[j], state.relHumidity + 0.0001);
    }
    for (int j = 3; j <= 5; ++j) {
        EXPECT_EQ(state.zoneWater[j], 7);
    }
    for (int j = 0; j <= 5; ++j) {
        EXPECT_EQ(state.totalPressure[j], 0);
    }
    EXPECT_GT(state.precondWater, 0);
    EXPECT_LT(state.precondWater, state.microporeVolume);
}

}  // namespace
}  // namespace quandrelle
