#include <gtest/gtest.h>

#include <stop_token>

#include "Scenarios.h"
#include "quandrelle/engine/RunStop.h"
#include "quandrelle/engine/SingleVaporBound.h"

namespace quandrelle {
namespace {

using test::halfMask;
using test::withVapors;

CalcState ranAlone(const test::VaporInput& vapor) {
    CalcState alone = withVapors(halfMask(), {vapor});
    EXPECT_EQ(runCalculation(alone).status, CalculateStatus::Done);
    return alone;
}

TEST(SingleVaporEstimates, EachVaporGetsItsOwnRunAtItsOwnConcentration) {
    const CalcState mixture = withVapors(halfMask(), {test::kToluene, test::kAcetone, test::kHexane});
    const std::vector<SingleVaporEstimate> estimates = singleVaporEstimates(mixture);
    ASSERT_EQ(estimates.size(), 3u);
    const test::VaporInput* inputs[] = {&test::kToluene, &test::kAcetone, &test::kHexane};
    for (int slot = 1; slot <= 3; ++slot) {
        const SingleVaporEstimate& entry = estimates[static_cast<std::size_t>(slot - 1)];
        const CalcState alone = ranAlone(*inputs[slot - 1]);
        EXPECT_EQ(entry.slot, slot);
        EXPECT_EQ(entry.name, inputs[slot - 1]->name);
        EXPECT_EQ(entry.status, SingleVaporStatus::Answered);
        EXPECT_EQ(entry.estimate, alone.breakTimeResult[1]);
        EXPECT_EQ(entry.minimum, alone.breakTimeMin[1]);
        EXPECT_EQ(entry.maximum, alone.breakTimeMax[1]);
    }
}

TEST(SingleVaporEstimates, FollowTheSlotsOfARunThatSortedThem) {
    CalcState mixture = withVapors(halfMask(), {test::kToluene, test::kAcetone});
    ASSERT_EQ(runCalculation(mixture).status, CalculateStatus::Done);
    const std::vector<SingleVaporEstimate> estimates = singleVaporEstimates(mixture);
    ASSERT_EQ(estimates.size(), 2u);
    for (const SingleVaporEstimate& entry : estimates) {
        EXPECT_EQ(entry.name, mixture.vapors[entry.slot].chemName);
    }
    EXPECT_EQ(estimates[0].name, "Acetone");  // the weaker vapor breaks through first
    EXPECT_EQ(estimates[0].estimate, ranAlone(test::kAcetone).breakTimeResult[1]);
}

TEST(SingleVaporEstimates, AVaporThatCannotBeRunAloneIsFailedWithItsMessage) {
    test::VaporInput broken = test::kBenzene;
    broken.liqDensity = 0;
    const CalcState mixture = withVapors(halfMask(), {test::kToluene, broken});
    const std::vector<SingleVaporEstimate> estimates = singleVaporEstimates(mixture);
    ASSERT_EQ(estimates.size(), 2u);
    EXPECT_EQ(estimates[0].status, SingleVaporStatus::Answered);
    EXPECT_EQ(estimates[1].status, SingleVaporStatus::Failed);
    EXPECT_FALSE(estimates[1].failure.empty());
}

TEST(SingleVaporEstimates, AStoppedRunEndsWithRunStopped) {
    const CalcState mixture = withVapors(halfMask(), {test::kToluene, test::kAcetone});
    std::stop_source stop;
    stop.request_stop();
    const ScopedRunStop scope(stop.get_token());
    EXPECT_THROW(singleVaporEstimates(mixture), RunStopped);
}

}  // namespace
}  // namespace quandrelle
