// The shipped examples run with the stage's constants kept and unchanged zone parts skipped give
// every number of the run computed afresh at every step, to the bit.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "IAST.h"
#include "StateNumbers.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/scenario/Scenario.h"

namespace quandrelle::calc {
namespace {

class ExampleRunTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleRunTest, MatchesTheRunComputedAfreshToTheBit) {
    std::ifstream file(std::string(QUANDRELLE_EXAMPLES_DIR) + "/" + GetParam());
    ASSERT_TRUE(file) << GetParam();
    Scenario scenario;
    ASSERT_TRUE(readScenario(nlohmann::json::parse(file), scenario).empty());
    PrepareRun(scenario.state);
    CalcState fast = scenario.state;
    CalcState plain = scenario.state;
    MixtureSequence(fast);
    MixtureSequenceStepByStep(plain);
    expectBitIdentical(test::StateNumbers(fast), test::StateNumbers(plain));
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRunTest,
                         ::testing::Values("benzene-half-mask.json", "paint-shop-3-vapors.json",
                                           "coating-line-5-vapors.json"));

}  // namespace
}  // namespace quandrelle::calc
