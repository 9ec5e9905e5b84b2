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
