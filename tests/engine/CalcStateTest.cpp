#include <gtest/gtest.h>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {
namespace {

TEST(CalcState, StartsEmptyWithEveryNumberZero) {
    CalcState state;
    EXPECT_EQ(state.vaporCount, 0);
    EXPECT_EQ(state.mixCount, 0);
    EXPECT_EQ(state.atmPressure, 0.0f);
    EXPECT_TRUE(state.vapors[5].chemName.empty());
    EXPECT_EQ(state.breakTimeResult[5], 0.0);
}

TEST(CalcState, SlotIsFreeWhenNameIsEmptyOrTheMarker) {
    VaporData vapor;
    EXPECT_FALSE(isSlotInUse(vapor));
    vapor.chemName = "None Selected";
    vapor.molWt = 78.11f;
    EXPECT_FALSE(isSlotInUse(vapor));
    vapor.chemName = " none selected ";
    EXPECT_FALSE(isSlotInUse(vapor));
    vapor.chemName = "Benzene";
    EXPECT_TRUE(isSlotInUse(vapor));
}

TEST(SlotArray, IndexOutsideZeroToFiveRaisesSubscriptError) {
    CalcState state;
    EXPECT_NO_THROW(state.partialPress[0] = 1.0);
    EXPECT_NO_THROW(state.partialPress[5] = 1.0);
    try {
        state.partialPress[6] = 1.0;
        FAIL() << "index 6 was accepted";
    } catch (const CalcError& error) {
        EXPECT_EQ(error.kind(), CalcErrorKind::SubscriptOutOfRange);
    }
    EXPECT_THROW((void)state.zoneRH[-1], CalcError);
}

}  // namespace
}  // namespace quandrelle
