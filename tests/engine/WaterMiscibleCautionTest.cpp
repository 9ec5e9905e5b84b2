#include <gtest/gtest.h>

#include "WaterMiscibleCaution.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle {
namespace {

VaporData vapor(const std::string& name, double molWt, double waterSolFactor) {
    VaporData data;
    data.chemName = name;
    data.molWt = toSingle(molWt);
    data.waterSolFactor = toSingle(waterSolFactor);
    return data;
}

TEST(SmallWaterMiscible, HoldsBelowSixtyFiveGramsPerMoleOnly) {
    // The alcohols found estimated too long in the published tests, and the heavier ones that were not.
    EXPECT_TRUE(isSmallWaterMiscible(vapor("Methanol", 32.04, 1)));
    EXPECT_TRUE(isSmallWaterMiscible(vapor("Allyl alcohol", 58.08, 1)));
    EXPECT_TRUE(isSmallWaterMiscible(vapor("Isopropyl alcohol", 60.10, 1)));
    EXPECT_TRUE(isSmallWaterMiscible(vapor("Just under", 64.99, 1)));
    EXPECT_FALSE(isSmallWaterMiscible(vapor("At the limit", 65, 1)));
    EXPECT_FALSE(isSmallWaterMiscible(vapor("tert-Butyl alcohol", 74.12, 1)));
}

TEST(SmallWaterMiscible, HoldsForVaporsMiscibleInAllProportionsOnly) {
    EXPECT_FALSE(isSmallWaterMiscible(vapor("Nearly miscible", 40, 0.999)));
    EXPECT_FALSE(isSmallWaterMiscible(vapor("Insoluble", 40, 0)));
}

CalcState runWith(std::initializer_list<VaporData> vapors) {
    CalcState state;
    int slot = 0;
    for (const VaporData& data : vapors) {
        state.vapors[++slot] = data;
    }
    state.vaporCount = static_cast<std::int16_t>(slot);
    return state;
}

TEST(SmallWaterMiscibleCaution, NamesEveryVaporItAppliesToInSlotOrder) {
    const CalcState state =
        runWith({vapor("Ethanol", 46.07, 1), vapor("Toluene", 92.14, 0), vapor("Methanol", 32.04, 1)});
    const auto caution = smallWaterMiscibleCaution(state);
    ASSERT_TRUE(caution.has_value());
    EXPECT_EQ(*caution,
              "Water-miscible vapor lighter than 65 g/mol (Ethanol, Methanol): the estimate may be too long; "
              "such vapors have broken through sooner than estimated in published cartridge tests.");
}

TEST(SmallWaterMiscibleCaution, NoneWithoutSuchAVapor) {
    EXPECT_FALSE(smallWaterMiscibleCaution(runWith({vapor("Toluene", 92.14, 0)})).has_value());
    EXPECT_FALSE(smallWaterMiscibleCaution(CalcState{}).has_value());
}

TEST(SmallWaterMiscibleCaution, IgnoresFreeSlotsAndSlotsBeyondTheRun) {
    CalcState state = runWith({vapor("Toluene", 92.14, 0), vapor("None Selected", 32.04, 1)});
    state.vapors[3] = vapor("Methanol", 32.04, 1);  // left over from an earlier, larger run
    EXPECT_FALSE(smallWaterMiscibleCaution(state).has_value());
}

}  // namespace
}  // namespace quandrelle
