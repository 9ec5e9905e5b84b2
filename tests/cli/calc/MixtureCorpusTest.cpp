// Whole runs of many mixtures through the command-line calculator: runs the iterative solver
// answers keep their exact numbers and texts, and every generated mixture gets an answer whose
// estimate lies within its own range.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "MixtureGenerator.h"
#include "quandrelle/calc/CalcProgram.h"

namespace quandrelle::calc {
namespace {

using nlohmann::json;

struct JsonRun {
    int status = -1;
    json output;
    std::string err;
};

JsonRun runJson(const json& scenario) {
    std::istringstream in(scenario.dump());
    std::ostringstream out;
    std::ostringstream err;
    JsonRun run;
    run.status = runCalcProgram({"-", "--json"}, in, out, err);
    run.err = err.str();
    if (run.status == kExitResults) {
        run.output = json::parse(out.str());
    }
    return run;
}

// Generated runs of 1 to 5 vapors that the iterative solver answered, recorded with their whole
// JSON output before the bracketing solver and the stage-consistent results were added.
TEST(MixtureCorpus, RunsTheIterativeSolverAnswersKeepTheirExactOutput) {
    std::ifstream in(QUANDRELLE_CONVERGING_RUNS);
    ASSERT_TRUE(in) << QUANDRELLE_CONVERGING_RUNS;
    std::string line;
    int runs = 0;
    while (std::getline(in, line)) {
        const json recorded = json::parse(line);
        const JsonRun run = runJson(recorded["scenario"]);
        ASSERT_EQ(run.status, kExitResults) << run.err;
        // The cautions joined the notes after these were recorded; they have tests of their own.
        json output = run.output;
        json expected = recorded["output"];
        output.erase("notes");
        expected.erase("notes");
        EXPECT_EQ(output, expected) << "run " << runs << ": " << recorded["scenario"].dump();
        ++runs;
    }
    EXPECT_GE(runs, 150);
}

// A real mixture whose stage-2 fractions settle on the sum 1 while the stage starts from 0.0022: the
// iterative solver stands still on them and used to be reported as repeating "every 1 passes".
TEST(MixtureCorpus, FractionsThatSettleOnAnotherSumAreNotCalledRepeating) {
    const json scenario = json::parse(R"({
      "cartridge": {"name": "Generated OV cartridge", "bedDiameter": 8.207, "bedDepth": 3.25, "carbonWeight": 80.75,
                    "microporeVolume": 0.3752, "precondRH": 36, "granuleDiameter": 0.1267, "benzenePotential": 19.94,
                    "waterAffinity": 0.06938},
      "conditions": {"temperature": 23.38, "pressure": 1.042, "relHumidity": 52, "cartridges": 2, "airFlow": 45},
      "vapors": [
        {"name": "Methanol", "molWt": 32.04, "liqDensity": 0.7914, "molPolariz": 8.23, "waterSolFactor": 1,
         "concentration": 4.209, "antoineA": 18.60712, "antoineB": 3643.314, "antoineC": -33.424, "breakConc": 0.3374},
        {"name": "Chlorobenzene", "molWt": 112.56, "liqDensity": 1.1058, "molPolariz": 31.15, "waterSolFactor": 0,
         "concentration": 473, "antoineA": 16.06762, "antoineB": 3296.91, "antoineC": -55.6, "breakConc": 71.66},
        {"name": "Isopentane", "molWt": 72.15, "liqDensity": 0.6201, "molPolariz": 25.27, "waterSolFactor": 0,
         "concentration": 429.4, "antoineA": 15.73391, "antoineB": 2396.369, "antoineC": -37.705, "breakConc": 43.1}]})");
    const JsonRun run = runJson(scenario);
    ASSERT_EQ(run.status, kExitResults) << run.err;
    EXPECT_EQ(run.output["method"], "fallback");
    ASSERT_FALSE(run.output["notes"].empty());
    EXPECT_EQ(
        run.output["notes"][0].get<std::string>(),
        std::string(
            "Stage 2 (Isopentane and Methanol): the iterative solver's fractions settled with a sum of 1 "
            "instead of 0.0022, the sum the stage starts from; the bracketing solver found the equal "
            "spreading pressures instead (1 of 11 equilibrium solutions of the stage)."));
    EXPECT_EQ(run.output["results"][2]["display"]["estimate"], "482.4");
}

// A real mixture whose roll-up at stage 2 takes 3-Methylhexane out of the air, leaving the zone that
// held it alone with no vapor: such a zone holds nothing, like the one ahead of every front, and the
// stages answer where the conservative estimate (76.8 min for every vapor) used to stand in.
TEST(MixtureCorpus, AZoneTheRollUpEmptiesHoldsNothingAndTheStagesAnswer) {
    const json scenario = json::parse(R"({
      "cartridge": {"name": "Generated OV cartridge", "bedDepth": 1.941, "bedDiameter": 9.136, "benzenePotential": 20.99,
                    "carbonWeight": 56.42, "granuleDiameter": 0.09783, "microporeVolume": 0.4372, "precondRH": 74,
                    "waterAffinity": 0.05439},
      "conditions": {"airFlow": 56, "cartridges": 2, "pressure": 0.9673, "relHumidity": 50, "temperature": 16.42},
      "vapors": [
        {"name": "Propionaldehyde", "molWt": 58.0791, "liqDensity": 0.7979, "molPolariz": 16.209, "waterSolFactor": 0.277,
         "concentration": 1.933, "antoineA": 16.18363, "antoineB": 2631.092, "antoineC": -45.651, "breakConc": 0.7508},
        {"name": "alpha-Methylstyrene", "molWt": 118.1757, "liqDensity": 0.9098, "molPolariz": 40.666, "waterSolFactor": 0,
         "concentration": 42.74, "antoineA": 18.63889, "antoineB": 5357.809, "antoineC": 7.23, "breakConc": 1.411},
        {"name": "Furan", "molWt": 68.074, "liqDensity": 0.938, "molPolariz": 18.419, "waterSolFactor": 0.0105,
         "concentration": 86.41, "antoineA": 16.13289, "antoineB": 2472.133, "antoineC": -44.222, "breakConc": 3.751},
        {"name": "3-Methylhexane", "molWt": 100.2019, "liqDensity": 0.6841, "molPolariz": 34.547, "waterSolFactor": 0,
         "concentration": 511.3, "antoineA": 16.05137, "antoineB": 2974.621, "antoineC": -48.858, "breakConc": 18.43},
        {"name": "Methyl isoamyl ketone", "molWt": 114.1855, "liqDensity": 0.8124, "molPolariz": 34.539,
         "waterSolFactor": 0.0066, "concentration": 3.684, "antoineA": 16.86715, "antoineB": 3686.243,
         "antoineC": -55.831, "breakConc": 0.1111}]})");
    const JsonRun run = runJson(scenario);
    ASSERT_EQ(run.status, kExitResults) << run.err;
    EXPECT_EQ(run.output["method"], "fallback");
    const json& results = run.output["results"];
    std::map<std::string, std::string> estimates;
    for (const json& row : results) {
        estimates[row["name"]] = row["display"]["estimate"];
    }
    EXPECT_EQ(estimates, (std::map<std::string, std::string>{{"3-Methylhexane", "8.2"},
                                                             {"Furan", "4.1"},
                                                             {"Propionaldehyde", "8.2"},
                                                             {"Methyl isoamyl ketone", "1736.3"},
                                                             {"alpha-Methylstyrene", "2428.6"}}));
    // The vapor gone from the air breaks through with the front that took it.
    ASSERT_EQ(results[0]["name"], "3-Methylhexane");
    ASSERT_EQ(results[2]["name"], "Propionaldehyde");
    EXPECT_EQ(results[0]["breakthroughTime"], results[2]["breakthroughTime"]);
    // No vapor is held longer than alone at its own concentration.
    for (const json& vapor : scenario["vapors"]) {
        json alone = scenario;
        alone["vapors"] = json::array({vapor});
        const JsonRun own = runJson(alone);
        ASSERT_EQ(own.status, kExitResults) << own.err;
        for (const json& row : results) {
            if (row["name"] == vapor["name"]) {
                for (const char* time : {"breakthroughTime", "minTime", "maxTime"}) {
                    EXPECT_LE(row[time].get<double>(), own.output["results"][0][time].get<double>())
                        << row["name"] << " " << time;
                }
            }
        }
    }
}

// Every generated mixture is answered, and every answer lies within its own range (a vapor held
// beyond the simulated service included: it has no numbers, only the bound).
TEST(MixtureCorpus, EveryGeneratedMixtureIsAnsweredWithinItsRange) {
    test::MixtureGenerator generator(test::readVaporLibrary(QUANDRELLE_VAPOR_CSV), 7);
    std::map<std::string, int> methods;
    for (int n = 0; n < 40; ++n) {
        const json scenario = generator.next(2 + n % 4);
        const JsonRun run = runJson(scenario);
        ASSERT_EQ(run.status, kExitResults) << run.err << "\n" << scenario.dump();
        const std::string method = run.output["method"];
        ++methods[method];
        if (method != "model") {
            EXPECT_FALSE(run.output["notes"].empty()) << scenario.dump();
        }
        for (const json& row : run.output["results"]) {
            if (row.contains("longerThanMinutes")) {
                ++methods["beyond the simulated service"];
                continue;
            }
            const double estimate = row["breakthroughTime"];
            EXPECT_LE(row["minTime"].get<double>(), estimate) << scenario.dump();
            EXPECT_LE(estimate, row["maxTime"].get<double>()) << scenario.dump();
            EXPECT_GE(row["minTime"].get<double>(), 0) << scenario.dump();
        }
    }
    // The sample holds mixtures of each kind, so that each way of answering is exercised.
    EXPECT_GT(methods["model"], 0);
    EXPECT_GT(methods["fallback"], 0);
}

}  // namespace
}  // namespace quandrelle::calc
