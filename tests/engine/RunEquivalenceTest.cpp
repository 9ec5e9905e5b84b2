// A run keeps what cannot change within a stage and skips the parts of the zone update whose inputs
// have not changed. Its results must be those of the run that computes everything afresh at every
// step, to the bit, for every number of the state, and a failing run must fail the same way.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "IAST.h"
#include "Scenarios.h"
#include "StateNumbers.h"
#include "quandrelle/engine/CalcError.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle {
namespace {

struct RunEnd {
    CalcState state;
    std::string failure;  // empty when the run succeeded
};

RunEnd runWith(CalcState state, void (*sequence)(CalcState&)) {
    PrepareRun(state);
    try {
        sequence(state);
        return {state, {}};
    } catch (const CalcError& error) {
        return {state, error.description()};
    }
}

void expectSameRun(const CalcState& prepared) {
    const RunEnd fast = runWith(prepared, MixtureSequence);
    const RunEnd plain = runWith(prepared, MixtureSequenceStepByStep);
    EXPECT_EQ(fast.failure, plain.failure);
    expectBitIdentical(test::StateNumbers(fast.state), test::StateNumbers(plain.state));
}

// A mixture drawn from the test vapors with conditions across the fields' ranges. The draws use
// the generator's raw output so that every standard library makes the same mixtures.
class MixtureDraw {
public:
    explicit MixtureDraw(std::uint32_t seed) : m_random(seed) {}

    CalcState next() {
        CalcState state = test::halfMask(single(0.01, 0.99), single(0, 0.95));
        state.tempC = single(0, 45);
        state.airFlow = single(10, 100);
        std::vector<test::VaporInput> pool = {
            test::kBenzene,      test::kToluene,       test::kAcetone,
            test::kHexane,       test::kEthylAcetate,  test::kDichloroethane,
            test::kAcetonitrile, test::kChlorobenzene, test::kEthylBromide};
        std::vector<test::VaporInput> vapors;
        const auto count = 1 + m_random() % 5;
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto at = pool.begin() + static_cast<std::ptrdiff_t>(m_random() % pool.size());
            test::VaporInput vapor = *at;
            pool.erase(at);
            vapor.concentration = single(20, 1000);
            vapor.breakConc = vapor.concentration * between(0.01, 0.5);
            vapors.push_back(vapor);
        }
        return test::withVapors(state, vapors);
    }

private:
    double between(double low, double high) { return low + (high - low) * (m_random() / 4294967296.0); }
    float single(double low, double high) { return static_cast<float>(between(low, high)); }

    std::mt19937 m_random;
};

class GeneratedMixtureTest : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(GeneratedMixtureTest, MatchesTheRunComputedAfreshToTheBit) {
    MixtureDraw draw(GetParam());
    for (int i = 0; i < 5; ++i) {
        const CalcState state = draw.next();
        SCOPED_TRACE("mixture " + std::to_string(i) + " of " + std::to_string(state.vaporCount) + " vapors");
        expectSameRun(state);
    }
}

// Seeds whose mixtures include failing runs and whose reference runs, with equilibrium scans of one
// step at a time, end within a second; other seeds draw mixtures whose scans take minutes.
INSTANTIATE_TEST_SUITE_P(Seeds, GeneratedMixtureTest,
                         ::testing::Values(3u, 6u, 8u, 9u, 14u, 18u, 21u, 22u, 24u, 25u, 26u, 29u));

// Conditions at the edges of the water model, where zones stop moving or move away from
// equilibrium, and where the parts of a time step that are skipped matter most.
struct EdgeCase {
    const char* label;
    float tempC;
    float relHumidity;
    float precondRH;
};

class WaterEdgeTest : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(WaterEdgeTest, MatchesTheRunComputedAfreshToTheBit) {
    CalcState state = test::halfMask(GetParam().relHumidity, GetParam().precondRH);
    state.tempC = GetParam().tempC;
    for (const auto& vapors : std::vector<std::vector<test::VaporInput>>{
             {test::kBenzene},
             {test::kToluene, test::kAcetone, test::kHexane},
             {test::kBenzene, test::kToluene, test::kAcetone, test::kHexane, test::kEthylAcetate}}) {
        SCOPED_TRACE(std::to_string(vapors.size()) + " vapors");
        expectSameRun(test::withVapors(state, vapors));
    }
}

INSTANTIATE_TEST_SUITE_P(Conditions, WaterEdgeTest,
                         ::testing::Values(EdgeCase{"FreezingBedTakesUpNoWater", 0, 0.5f, 0.5f},
                                           EdgeCase{"SaturatedAirClampsTheZones", 25, 0.99f, 0.9f},
                                           EdgeCase{"DryAirOnDryCarbon", 25, 0.01f, 0},
                                           EdgeCase{"HotHumidAirOnDryCarbon", 45, 0.9f, 0}),
                         [](const auto& info) { return std::string(info.param.label); });

// Traces held for weeks on a warm bed: long after the water has settled the time steps stand
// still, and the rest of each stage only counts its steps.
TEST(LongStage, MatchesTheRunComputedAfreshToTheBit) {
    CalcState state = test::halfMask(0.7f, 0.2f);
    state.tempC = 40;
    test::VaporInput toluene = test::kToluene;
    toluene.concentration = 3;
    toluene.breakConc = 0.3;
    test::VaporInput hexane = test::kHexane;
    hexane.concentration = 2;
    hexane.breakConc = 0.2;
    for (const auto& vapors : std::vector<std::vector<test::VaporInput>>{{toluene}, {toluene, hexane}}) {
        SCOPED_TRACE(std::to_string(vapors.size()) + " vapors");
        expectSameRun(test::withVapors(state, vapors));
    }
}

TEST(StateNumbers, NoticeOneBitOfAWorkingArrayAndTheSignOfZero) {
    CalcState state = test::withVapors(test::halfMask(), {test::kBenzene});
    const test::StateNumbers before(state);
    state.zoneRHRise[5] = -0.0;
    EXPECT_NONFATAL_FAILURE(expectBitIdentical(before, test::StateNumbers(state)), "zoneRHRise(5)");
    state.zoneRHRise[5] = 0;
    state.sortBuffers[3].vapor.satPressure = 0x1p-1074;
    EXPECT_NONFATAL_FAILURE(expectBitIdentical(before, test::StateNumbers(state)),
                            "sortBuffers(3).satPressure");
}

}  // namespace
}  // namespace quandrelle
