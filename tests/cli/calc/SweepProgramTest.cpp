#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "IAST.h"
#include "quandrelle/calc/CalcProgram.h"
#include "quandrelle/calc/SweepRun.h"
#include "quandrelle/engine/RunStop.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/scenario/Scenario.h"

namespace quandrelle::calc {
namespace {

using nlohmann::json;

const std::string kExamples = QUANDRELLE_EXAMPLES_DIR;

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

ProgramRun run(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    ProgramRun result;
    result.status = runCalcProgram(args, in, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

json example(const std::string& file) {
    std::ifstream in(kExamples + "/" + file);
    return json::parse(in);
}

// ---- Results ----

class ExampleSweepTest : public ::testing::TestWithParam<const char*> {};

// Water taken up by the bed at higher humidity leaves less room for the vapors, so a vapor that does
// not dissolve in the adsorbed water must never be predicted to last longer on a more humid day. (A
// vapor that dissolves in it, such as methyl ethyl ketone, gains a little from the extra water.)
TEST_P(ExampleSweepTest, WaterImmiscibleVaporsDoNotLastLongerInMoreHumidAir) {
    Scenario scenario;
    ASSERT_TRUE(readScenario(example(GetParam()), scenario).empty());
    const std::vector<double> values = sweepValues({SweepQuantity::RelHumidity, 5, 95, 10, false});
    const std::vector<SweepPoint> points = runSweep(scenario.state, SweepQuantity::RelHumidity, values, 2);
    for (const SweepPoint& point : points) {
        ASSERT_EQ(point.outcome.status, CalculateStatus::Done) << point.value;
    }
    int immiscible = 0;
    for (int n = 1; n <= scenario.state.vaporCount; ++n) {
        if (scenario.state.vapors[n].waterSolFactor != 0) {
            continue;
        }
        ++immiscible;
        const auto time = [&](const SweepPoint& point) {
            return point.state.breakTimeResult[point.positionOfEntry[static_cast<std::size_t>(n)]];
        };
        for (std::size_t i = 1; i < points.size(); ++i) {
            EXPECT_LE(time(points[i]), time(points[i - 1]))
                << scenario.state.vapors[n].chemName << " from " << points[i - 1].value << " to "
                << points[i].value << " %";
        }
    }
    EXPECT_GE(immiscible, 1);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleSweepTest,
                         ::testing::Values("benzene-half-mask.json", "paint-shop-3-vapors.json",
                                           "coating-line-5-vapors.json"));

TEST(SweepProgram, EveryPointHoldsThePlainRunOfItsValue) {
    const ProgramRun sweep =
        run({kExamples + "/paint-shop-3-vapors.json", "--sweep", "airFlow=20:60:3", "--json"});
    ASSERT_EQ(sweep.status, kExitResults) << sweep.err;
    const json points = json::parse(sweep.out);
    ASSERT_EQ(points.size(), 3u);
    for (const json& point : points) {
        json scenario = example("paint-shop-3-vapors.json");
        scenario["conditions"]["airFlow"] = point["airFlow"];
        const ProgramRun plain = run({"-", "--json"}, scenario.dump());
        ASSERT_EQ(plain.status, kExitResults) << plain.err;
        json expected = json::parse(plain.out);
        ASSERT_EQ(expected.value("equivalentConcentration", 0.0), 568.79) << "vapor #1 in entry order";
        expected["airFlow"] = point["airFlow"];
        expected["status"] = "done";
        EXPECT_EQ(point, expected);
    }
    EXPECT_EQ(points[1]["airFlow"], 40);
}

TEST(SweepProgram, TheNumberOfJobsDoesNotChangeTheOutput) {
    const std::string file = kExamples + "/paint-shop-3-vapors.json";
    const ProgramRun one = run({file, "--sweep", "temperature=5:45:5", "--jobs", "1"});
    const ProgramRun three = run({file, "--sweep", "temperature=5:45:5", "--jobs", "3"});
    ASSERT_EQ(one.status, kExitResults) << one.err;
    EXPECT_EQ(one.out, three.out);
    EXPECT_NE(one.out.find("temperature"), std::string::npos);
}

TEST(SweepProgram, RefusedPointIsListedAndTheExitSaysSo) {
    const std::string file = kExamples + "/benzene-half-mask.json";
    const ProgramRun table = run({file, "--sweep", "concentrationScale=0.1:1:2"});
    EXPECT_EQ(table.status, kExitRefusedOrFailed);
    EXPECT_NE(table.out.find("0.1  "), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("outOfLimits: This model is not valid"), std::string::npos) << table.out;
    EXPECT_EQ(table.err, "quandrelle-calc: 1 of 2 points were refused or failed\n");

    const ProgramRun asJson = run({file, "--sweep", "concentrationScale=0.1:1:2", "--json"});
    const json points = json::parse(asJson.out);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0]["status"], "outOfLimits");
    EXPECT_EQ(points[0]["results"], json::array());
    EXPECT_EQ(points[1]["status"], "done");
}

// ---- Refusals ----

struct BadSweep {
    const char* label;
    std::vector<std::string> options;
    const char* message;
};

class BadSweepTest : public ::testing::TestWithParam<BadSweep> {};

TEST_P(BadSweepTest, IsRefusedAsBadInputBeforeAnyRun) {
    std::vector<std::string> args{kExamples + "/benzene-half-mask.json"};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    const ProgramRun result = run(args);
    EXPECT_EQ(result.status, kExitBadInput);
    EXPECT_TRUE(result.out.empty());
    EXPECT_NE(result.err.find(GetParam().message), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Options, BadSweepTest,
    ::testing::Values(
        BadSweep{"UnknownQuantity", {"--sweep", "pressure=0.5:1:3"}, "\"pressure\" is not a quantity"},
        BadSweep{"NoEquals", {"--sweep", "relHumidity"}, "needs QUANTITY=FROM:TO:COUNT"},
        BadSweep{"TwoParts", {"--sweep", "relHumidity=5:95"}, "must be FROM:TO:COUNT"},
        BadSweep{"UnknownSpacing", {"--sweep", "relHumidity=5:95:3:lin"}, "must be FROM:TO:COUNT"},
        BadSweep{"CommaDecimal", {"--sweep", "airFlow=10,5:20:3"}, "FROM and TO must be numbers"},
        BadSweep{"NoPoints", {"--sweep", "airFlow=10:20:0"}, "COUNT must be a whole number from 1 to 10000"},
        BadSweep{"TooManyPoints", {"--sweep", "airFlow=10:20:10001"}, "COUNT must be a whole number"},
        BadSweep{"FractionalCount", {"--sweep", "airFlow=10:20:2.5"}, "COUNT must be a whole number"},
        BadSweep{"OnePointTwoEnds", {"--sweep", "airFlow=10:20:1"}, "a single point needs FROM equal to TO"},
        BadSweep{"LogFromZero", {"--sweep", "concentrationScale=0:10:3:log"}, "needs FROM and TO above 0"},
        BadSweep{"HumidityBelowField",
                 {"--sweep", "relHumidity=0:50:3"},
                 "relHumidity 0 is below the lower limit of 1"},
        BadSweep{"TemperatureAboveField",
                 {"--sweep", "temperature=0:80:5"},
                 "temperature 80 is above the upper limit of 75"},
        BadSweep{
            "ScaleBeyondConcentrationLimit",
            {"--sweep", "concentrationScale=1:2000:2"},
            "concentrationScale 2000 makes the concentration of Benzene 200000 is above the upper limit of "
            "100,000"},
        BadSweep{"NegativeScale", {"--sweep", "concentrationScale=-1:1:3"}, "-1 must be above 0"},
        BadSweep{
            "TwoSweeps", {"--sweep", "airFlow=10:20:2", "--sweep", "airFlow=10:20:2"}, "only one --sweep"},
        BadSweep{"SweepWithoutRange", {"--sweep"}, "--sweep needs a value"},
        BadSweep{"NoJobs", {"--sweep", "airFlow=10:20:2", "--jobs", "0"}, "--jobs needs a whole number"},
        BadSweep{"JobsWithoutSweep", {"--jobs", "2"}, "--jobs only applies to a --sweep"}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- Stopping a point part-way ----

Scenario scenarioFrom(const json& input) {
    Scenario scenario;
    const Problems problems = readScenario(input, scenario);
    EXPECT_TRUE(problems.empty());
    return scenario;
}

// A five-vapor mixture whose fractions never settle, its passes left to run to their cap as they do
// where the proof that they never settle cannot be closed: many seconds of one stage before the
// second solver answers. A window that gives up its run must not wait for that.
TEST(StoppingAPoint, AStalledEquilibriumStopsWithinASecondOfBeingAsked) {
    using Clock = std::chrono::steady_clock;
    std::ifstream file(QUANDRELLE_STALLING_MIXTURE);
    const Scenario scenario = scenarioFrom(json::parse(file));
    std::stop_source stop;
    Clock::time_point asked;
    std::jthread asker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        asked = Clock::now();
        stop.request_stop();
    });
    const ScopedRunStop stoppable(stop.get_token());
    CalcState run = scenario.state;
    PrepareRun(run);
    EXPECT_THROW(MixtureSequenceWithoutStallProofs(run), RunStopped);
    asker.join();
    EXPECT_LT(Clock::now() - asked, std::chrono::seconds(1));
}

TEST(StoppingAPoint, OnlyRunsWithinTheStoppedScopeStop) {
    const Scenario scenario = scenarioFrom(example("paint-shop-3-vapors.json"));
    std::stop_source stop;
    stop.request_stop();
    {
        const ScopedRunStop stoppable(stop.get_token());
        EXPECT_THROW(runSweepPoint(scenario.state, SweepQuantity::RelHumidity, 50), RunStopped);
    }
    EXPECT_EQ(runSweepPoint(scenario.state, SweepQuantity::RelHumidity, 50).outcome.status,
              CalculateStatus::Done);
}

}  // namespace
}  // namespace quandrelle::calc
