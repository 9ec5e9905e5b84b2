#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "TempFolder.h"
#include "quandrelle/calc/CalcProgram.h"
#include "quandrelle/calc/FitCommand.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle::calc {
namespace {

using nlohmann::json;
using quandrelle::testing::TempFolder;

json tolueneVapor(double concentration) {
    return {{"name", "Toluene"},    {"molWt", 92.14},       {"liqDensity", 0.8668},
            {"molPolariz", 31.06},  {"waterSolFactor", 0},  {"concentration", concentration},
            {"antoineA", 16.01365}, {"antoineB", 3096.516}, {"antoineC", -53.668}};
}

json labConditions() {
    return {{"temperature", 25}, {"pressure", 1.0}, {"relHumidity", 50}, {"cartridges", 2}, {"airFlow", 30}};
}

json fitInput(json points) {
    return {{"cartridge",
             {{"name", "Paint line cartridge"},
              {"bedDiameter", 8.0},
              {"bedDepth", 3.0},
              {"carbonWeight", 26.0},
              {"precondRH", 50},
              {"granuleDiameter", 0.1},
              {"waterAffinity", 0.06}}},
            {"points", std::move(points)}};
}

json point(json vapor, double breakConc, double minutes) {
    return {{"conditions", labConditions()},
            {"vapor", std::move(vapor)},
            {"breakConc", breakConc},
            {"minutes", minutes}};
}

struct FitRun {
    int status = -1;
    std::string out;
    std::string err;
};

FitRun runFit(const json& input, const std::string& dataFolder, bool asJson = true) {
    std::ostringstream out;
    std::ostringstream err;
    FitRun result;
    result.status = runFitCommand(input.dump(), "FIT.json", asJson, dataFolder, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

TEST(FitProgramTest, NamesEveryProblemOfTheInput) {
    TempFolder folder;
    json input = fitInput({point(tolueneVapor(200), 150, 80),
                           point({{"name", "Unobtainium"}, {"concentration", 50}}, 5, 0),
                           point(tolueneVapor(200), 10, 80)});
    input["cartridge"]["microporeVolume"] = 0.4;
    input["points"][2].erase("conditions");
    const FitRun run = runFit(input, folder.folder());
    EXPECT_EQ(run.status, kExitBadInput);
    for (const char* problem : {"cartridge.microporeVolume: is what the fit finds",
                                "points[2].vapor.name: \"Unobtainium\" is not in the vapor library",
                                "points[3].conditions: is missing"}) {
        EXPECT_NE(run.err.find(problem), std::string::npos) << problem << "\n" << run.err;
    }
    // Checked once the input reads: the limits Calculate holds each point to.
    input = fitInput({point(tolueneVapor(200), 150, 80), point(tolueneVapor(200), 10, 0)});
    const FitRun limits = runFit(input, folder.folder());
    EXPECT_EQ(limits.status, kExitBadInput);
    EXPECT_NE(limits.err.find("points[1].breakConc: must be above 0 and at most half"), std::string::npos);
    EXPECT_NE(limits.err.find("points[2].minutes: must be above 0"), std::string::npos);
}

TEST(FitProgramTest, ExitsWithOneWhenNoCarbonMatches) {
    TempFolder folder;
    const FitRun run = runFit(fitInput({point(tolueneVapor(200), 10, 90000)}), folder.folder());
    EXPECT_EQ(run.status, kExitRefusedOrFailed);
    EXPECT_NE(run.err.find("comes within 50 % of point 1 (Toluene at 200 ppm, 90000 min)"), std::string::npos)
        << run.err;
    EXPECT_TRUE(run.out.empty());
}

// The saved cartridge must give in a scenario exactly the times the fit reported.
TEST(FitProgramTest, FittedValuesGiveTheReportedTimesBitForBit) {
    TempFolder folder;
    {
        VaporStore store(folder.folder());
        store.Save(VaporRecord{"Acetone", "58.0791", "0.7917", "16.142", "1", "100", "16.61007", "2909.023",
                               "-37.7", "67-64-1"});
    }
    const json input = fitInput({point(tolueneVapor(200), 10, 310), point(tolueneVapor(1000), 10, 75),
                                 point({{"name", "acetone"}, {"concentration", 500}}, 10, 32)});
    const FitRun run = runFit(input, folder.folder());
    ASSERT_EQ(run.status, kExitResults) << run.err;
    const json fit = json::parse(run.out);
    EXPECT_EQ(fit["fitted"], json({"microporeVolume", "benzenePotential"}));

    for (std::size_t i = 0; i < 2; ++i) {
        json scenario{{"cartridge", input["cartridge"]}, {"conditions", labConditions()}};
        scenario["cartridge"]["microporeVolume"] = fit["microporeVolume"];
        scenario["cartridge"]["benzenePotential"] = fit["benzenePotential"];
        json vapor = input["points"][i]["vapor"];
        vapor["breakConc"] = 10;
        scenario["vapors"] = json::array({vapor});
        std::istringstream in(scenario.dump());
        std::ostringstream out;
        std::ostringstream err;
        ASSERT_EQ(runCalcProgram({"-", "--json"}, in, out, err), kExitResults) << err.str();
        EXPECT_EQ(json::parse(out.str())["results"][0]["breakthroughTime"].get<double>(),
                  fit["points"][i]["predicted"].get<double>());
    }
}

TEST(FitProgramTest, TableShowsEveryPointAndTheHeldPotential) {
    TempFolder folder;
    json input = fitInput({point(tolueneVapor(200), 10, 300)});
    input["cartridge"]["benzenePotential"] = 21.5;
    const FitRun run = runFit(input, folder.folder(), false);
    ASSERT_EQ(run.status, kExitResults) << run.err;
    EXPECT_NE(run.out.find("Adsorption potential for benzene: 21.5 kJ/mol (held)"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("1   Toluene  200          300          300"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace quandrelle::calc
