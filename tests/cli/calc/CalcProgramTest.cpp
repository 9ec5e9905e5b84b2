#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/calc/CalcProgram.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/scenario/Scenario.h"
#include "quandrelle/scenario/ScenarioFile.h"
#include "quandrelle/scenario/ScenarioText.h"

namespace quandrelle::calc {
namespace {

using nlohmann::json;

json benzeneScenario() {
    return json::parse(R"({
      "cartridge": {"name": "Half-mask OV", "bedDiameter": 8.0, "bedDepth": 3.0, "carbonWeight": 26.0,
                    "microporeVolume": 0.45, "precondRH": 50, "granuleDiameter": 0.1,
                    "benzenePotential": 19.0, "waterAffinity": 0.06},
      "conditions": {"temperature": 23, "pressure": 1.0, "relHumidity": 50, "cartridges": 2, "airFlow": 30},
      "vapors": [{"name": "Benzene", "cas": "71-43-2", "molWt": 78.11, "liqDensity": 0.8765, "molPolariz": 26.2,
                  "waterSolFactor": 0, "concentration": 100, "antoineA": 15.9008, "antoineB": 2788.51,
                  "antoineC": -52.36, "breakConc": 10}]})");
}

json toluene(double concentration, double breakConc) {
    return {{"name", "Toluene"},     {"molWt", 92.14},       {"liqDensity", 0.8668},
            {"molPolariz", 31.06},   {"waterSolFactor", 0},  {"concentration", concentration},
            {"antoineA", 16.01365},  {"antoineB", 3096.516}, {"antoineC", -53.668},
            {"breakConc", breakConc}};
}

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

ProgramRun run(const std::vector<std::string>& args, const std::string& input = "",
               const ReportWriter& writeReport = {}) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    ProgramRun result;
    result.status = runCalcProgram(args, in, out, err, writeReport);
    result.out = out.str();
    result.err = err.str();
    return result;
}

ProgramRun runScenario(const json& scenario, bool asJson = true) {
    std::vector<std::string> args{"-"};
    if (asJson) {
        args.push_back("--json");
    }
    return run(args, scenario.dump());
}

// ---- Results ----

TEST(CalcProgram, ShippedExampleGivesATableOfResults) {
    const ProgramRun result = run({QUANDRELLE_EXAMPLES_DIR "/benzene-half-mask.json"});
    EXPECT_EQ(result.status, kExitResults) << result.err;
    EXPECT_TRUE(result.err.empty());
    EXPECT_NE(result.out.find("Benzene"), std::string::npos);
    EXPECT_NE(result.out.find("837.9"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("321.45 mg/m3"), std::string::npos) << result.out;
}

// The character (not byte) at which each line's concentration column starts.
std::size_t concentrationColumn(const std::string& line, const std::string& concentration) {
    const std::size_t byte = line.find("  " + concentration) + 2;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < byte; ++i) {
        characters += (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 ? 1 : 0;
    }
    return characters;
}

TEST(CalcProgram, TableColumnsStayInLineWithAccentedNames) {
    json input = benzeneScenario();
    json accented = toluene(300, 30);
    accented["name"] = "Tolu\u00e8ne \u00e9th\u00e9r\u00e9";  // five two-byte letters
    input["vapors"].push_back(accented);
    const ProgramRun result = runScenario(input, false);
    ASSERT_EQ(result.status, kExitResults) << result.err;
    std::istringstream lines(result.out);
    std::string line;
    std::string benzeneLine;
    std::string accentedLine;
    while (std::getline(lines, line)) {
        if (line.find("Benzene") != std::string::npos) {
            benzeneLine = line;
        } else if (line.find("Tolu") != std::string::npos) {
            accentedLine = line;
        }
    }
    ASSERT_FALSE(benzeneLine.empty());
    ASSERT_FALSE(accentedLine.empty());
    EXPECT_EQ(concentrationColumn(benzeneLine, "100"), concentrationColumn(accentedLine, "300"))
        << result.out;
}

// The shipped examples' breakthrough times, pinned: a change in the shared engine shows here even
// when the screens and the command line still agree with each other.
struct PinnedRow {
    const char* name;
    double estimate;
    const char* shown;  // estimate, minimum and maximum as the results screen shows them
};

struct PinnedExample {
    const char* file;
    double equivalentConcentration;
    std::vector<PinnedRow> rows;
};

void PrintTo(const PinnedExample& example, std::ostream* out) {
    *out << example.file;
}

class ShippedExample : public ::testing::TestWithParam<PinnedExample> {};

TEST_P(ShippedExample, GivesItsPinnedBreakthroughTimes) {
    const PinnedExample& example = GetParam();
    const ProgramRun result = run({std::string(QUANDRELLE_EXAMPLES_DIR "/") + example.file, "--json"});
    ASSERT_EQ(result.status, kExitResults) << result.err;
    const json output = json::parse(result.out);
    EXPECT_EQ(output["equivalentConcentration"].get<double>(), example.equivalentConcentration);
    ASSERT_EQ(output["results"].size(), example.rows.size());
    for (std::size_t p = 0; p < example.rows.size(); ++p) {
        const json& row = output["results"][p];
        const PinnedRow& pinned = example.rows[p];
        SCOPED_TRACE(pinned.name);
        EXPECT_EQ(row["name"], pinned.name);
        EXPECT_DOUBLE_EQ(row["breakthroughTime"].get<double>(), pinned.estimate);
        const json& display = row["display"];
        EXPECT_EQ(display["estimate"].get<std::string>() + " " + display["min"].get<std::string>() + " " +
                      display["max"].get<std::string>(),
                  pinned.shown);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ShippedExample,
    ::testing::Values(
        PinnedExample{"benzene-half-mask.json", 321.45, {{"Benzene", 837.9028214624074, "837.9 670 1005"}}},
        PinnedExample{"paint-shop-3-vapors.json",
                      568.79,
                      {{"Methyl ethyl ketone", 190.35159493795248, "190.4 152 228"},
                       {"Toluene", 461.48695643461167, "461.5 369 554"},
                       {"m-Xylene", 843.0469095490433, "843. 674 1012"}}},
        PinnedExample{"coating-line-5-vapors.json",
                      376.65,
                      {{"Ethyl acetate", 203.64429493174825, "203.6 163 244"},
                       {"n-Butyl acetate", 374.60979202076874, "374.6 300 450"},
                       {"Toluene", 356.7033770124948, "356.7 285 428"},
                       {"Ethylbenzene", 756.0708036285631, "756.1 605 907"},
                       {"m-Xylene", 820.16097117181, "820.2 656 984"}}}));

TEST(CalcProgram, JsonResultsAreTheEngineNumbersAndTheScreenTexts) {
    const json input = benzeneScenario();
    const ProgramRun result = runScenario(input);
    ASSERT_EQ(result.status, kExitResults) << result.err;
    const json output = json::parse(result.out);

    // The same scenario through the engine directly.
    Scenario scenario;
    ASSERT_TRUE(readScenario(input, scenario).empty());
    ASSERT_EQ(Calculate(scenario.state, scenario.rows).status, CalculateStatus::Done);

    ASSERT_EQ(output["results"].size(), 1u);
    const json& row = output["results"][0];
    EXPECT_EQ(row["position"], 1);
    EXPECT_EQ(row["name"], "Benzene");
    EXPECT_EQ(row["concentration"], 100.0);
    EXPECT_EQ(row["breakConc"], 10.0);
    EXPECT_EQ(row["breakthroughTime"].get<double>(), scenario.state.breakTimeResult[1]);
    EXPECT_EQ(row["minTime"].get<double>(), scenario.state.breakTimeMin[1]);
    EXPECT_EQ(row["maxTime"].get<double>(), scenario.state.breakTimeMax[1]);
    EXPECT_EQ(row["display"]["estimate"], "837.9");
    EXPECT_EQ(row["display"]["min"], "670");
    EXPECT_EQ(row["display"]["max"], "1005");
    EXPECT_EQ(output["equivalentConcentration"], 321.45);
    EXPECT_EQ(output["faceVelocity"].get<double>(), scenario.state.faceVelocity);
    // The iterative solver settled; the only note is the caution for a time beyond a shift.
    EXPECT_EQ(output["method"], "model");
    EXPECT_EQ(output["notes"],
              json::array({"Breakthrough time above 8 hours (Benzene): take it as an upper bound "
                           "for the schedule and consider the shift length."}));
}

TEST(CalcProgram, ResultsFollowTheSortedOrderAndTheFirstEntryGivesTheEquivalentConcentration) {
    json input = benzeneScenario();
    input["vapors"] = json::array({toluene(100, 10), input["vapors"][0]});
    input["vapors"][1]["concentration"] = 300;
    input["vapors"][1]["breakConc"] = 30;
    const ProgramRun result = runScenario(input);
    ASSERT_EQ(result.status, kExitResults) << result.err;
    const json output = json::parse(result.out);
    EXPECT_EQ(output["results"][0]["name"], "Benzene");
    EXPECT_EQ(output["results"][0]["breakConc"], 30.0);
    EXPECT_EQ(output["results"][1]["name"], "Toluene");
    EXPECT_EQ(output["results"][1]["position"], 2);
    // Toluene, entered first: 100 ppm x 92.14 at 23 C and 1 atm.
    EXPECT_EQ(output["equivalentConcentration"], 379.19);
}

TEST(CalcProgram, ValuesAreStoredAsTheScreensStoreThem) {
    json input = benzeneScenario();
    input["cartridge"]["precondRH"] = 80;
    input["conditions"]["relHumidity"] = 65;
    input["conditions"]["cartridges"] = 2.5;
    input["vapors"][0]["concentration"] = 0.1;
    input["vapors"][0]["breakConc"] = 0.05;
    Scenario scenario;
    ASSERT_TRUE(readScenario(input, scenario).empty());
    const CalcState& state = scenario.state;
    EXPECT_EQ(state.precondRH, 0.8f);
    EXPECT_EQ(state.waterAffinity, 0.099999994f);
    EXPECT_EQ(state.relHumidity, 0.65f);
    EXPECT_EQ(state.cartsPerRespirator, 2);
    EXPECT_EQ(state.vapors[1].avgConc, 0.1f);
    EXPECT_EQ(state.breakConc[1], 0.05);
    EXPECT_EQ(state.breakFraction[1], 0.05 / static_cast<double>(0.1f));
    EXPECT_EQ(state.vaporCount, 1);
    // The limits check reads the concentration as shown (0.1), so exactly half passes.
    ASSERT_EQ(scenario.rows.size(), 1u);
    EXPECT_EQ(scenario.rows[0].concentration, 0.1);
    EXPECT_TRUE(withinBreakFractionLimits(state, scenario.rows));
}

TEST(CalcProgram, CasNumberMayBeLeftOut) {
    json input = benzeneScenario();
    input["vapors"][0].erase("cas");
    EXPECT_EQ(runScenario(input).status, kExitResults);
}

// ---- Refused and failed runs ----

TEST(CalcProgram, BreakthroughAboveHalfTheConcentrationIsRefused) {
    json input = benzeneScenario();
    input["vapors"][0]["breakConc"] = 50.5;
    const ProgramRun result = runScenario(input);
    EXPECT_EQ(result.status, kExitRefusedOrFailed);
    EXPECT_EQ(result.err, std::string(kLimitsMessageText) + "\n");
    EXPECT_TRUE(result.out.empty());
    input["vapors"][0]["breakConc"] = 0;
    EXPECT_EQ(runScenario(input).status, kExitRefusedOrFailed);
    input["vapors"][0]["breakConc"] = 50;
    EXPECT_EQ(runScenario(input).status, kExitResults);
}

TEST(CalcProgram, NotesFollowTheTableOfResults) {
    json input = benzeneScenario();
    input["cartridge"]["precondRH"] = 80;
    input["conditions"]["relHumidity"] = 90;
    input["vapors"] = json::parse(R"([
      {"name": "Benzene", "molWt": 78.11, "liqDensity": 0.8765, "molPolariz": 26.2, "waterSolFactor": 0,
       "concentration": 100, "antoineA": 15.9008, "antoineB": 2788.51, "antoineC": -52.36, "breakConc": 10},
      {"name": "Toluene", "molWt": 92.14, "liqDensity": 0.8669, "molPolariz": 31.1, "waterSolFactor": 0,
       "concentration": 100, "antoineA": 16.0137, "antoineB": 3096.52, "antoineC": -53.67, "breakConc": 10},
      {"name": "Acetone", "molWt": 58.08, "liqDensity": 0.7899, "molPolariz": 16.2, "waterSolFactor": 1,
       "concentration": 200, "antoineA": 16.6513, "antoineB": 2940.46, "antoineC": -35.93, "breakConc": 20},
      {"name": "Hexane", "molWt": 86.18, "liqDensity": 0.6548, "molPolariz": 29.9, "waterSolFactor": 0,
       "concentration": 50, "antoineA": 15.8366, "antoineB": 2697.55, "antoineC": -48.78, "breakConc": 5},
      {"name": "Ethyl acetate", "molWt": 88.11, "liqDensity": 0.902, "molPolariz": 22.3, "waterSolFactor": 0.5,
       "concentration": 100, "antoineA": 16.1516, "antoineB": 2790.5, "antoineC": -57.15, "breakConc": 10}])");
    // The roll-up takes toluene and benzene out of the air: the bracketing solver answers.
    const ProgramRun table = runScenario(input, false);
    ASSERT_EQ(table.status, kExitResults) << table.err;
    const json output = json::parse(runScenario(input).out);
    EXPECT_EQ(output["method"], "fallback");
    ASSERT_FALSE(output["notes"].empty());
    std::string notes = "\n";
    for (const json& note : output["notes"]) {
        notes += "Note: " + note.get<std::string>() + "\n";
    }
    EXPECT_TRUE(table.out.ends_with(notes)) << table.out;
    EXPECT_NE(table.out.find("Ethyl acetate"), std::string::npos);
}

TEST(CalcProgram, ATimeBeyondTheSimulatedServiceHasNoNumberOnlyItsBound) {
    json input = benzeneScenario();
    // So little vapor that the cartridge would last beyond any time it is worn.
    input["vapors"] = json::array({toluene(0.05, 0.005)});
    const ProgramRun result = runScenario(input);
    ASSERT_EQ(result.status, kExitResults) << result.err;
    const json row = json::parse(result.out)["results"][0];
    for (const char* time : {"breakthroughTime", "minTime", "maxTime"}) {
        EXPECT_TRUE(row[time].is_null()) << time;
    }
    EXPECT_EQ(row["longerThanMinutes"], 100000);
    EXPECT_EQ(row["display"], json({{"estimate", "longer than 100,000 min"}, {"min", ""}, {"max", ""}}));
}

// ---- Options ----

TEST(CalcProgram, VersionIsTheBuildsVersionAndRunsNothing) {
    const ProgramRun version = run({"--version", "/nonexistent/scenario.json"});
    EXPECT_EQ(version.status, kExitResults);
    EXPECT_EQ(version.out, "quandrelle-calc " + std::string(kProgramVersion) + "\n");
    EXPECT_EQ(version.err, "");
}

// ---- Bad input ----

TEST(CalcProgram, UnreadableOrMalformedInputIsBadInput) {
    const ProgramRun missing = run({"/nonexistent/scenario.json"});
    EXPECT_EQ(missing.status, kExitBadInput);
    EXPECT_NE(missing.err.find("cannot read /nonexistent/scenario.json"), std::string::npos) << missing.err;

    const ProgramRun malformed = run({"-"}, "{\"cartridge\": ");
    EXPECT_EQ(malformed.status, kExitBadInput);
    EXPECT_NE(malformed.err.find("standard input: malformed JSON"), std::string::npos) << malformed.err;

    EXPECT_EQ(run({"-"}, "[1, 2]").status, kExitBadInput);
    EXPECT_EQ(run({"-"}, "").status, kExitBadInput);
}

// A scenario's text with `replacement` put in place of the first `target` (a value as dumped).
std::string withValueText(const json& scenario, const std::string& target, const std::string& replacement) {
    std::string text = scenario.dump();
    const auto at = text.find(target);
    EXPECT_NE(at, std::string::npos) << target;
    return text.replace(at, target.size(), replacement);
}

TEST(CalcProgram, NumbersBeyondADoubleAreBadInputNamingTheField) {
    json input = benzeneScenario();
    input["conditions"]["airFlow"] = 31.5;
    input["vapors"].push_back(toluene(100, 10));
    input["vapors"][1]["molWt"] = 92.25;
    for (const std::string& huge :
         {std::string("1e400"), std::string("-1e400"), "1" + std::string(400, '0')}) {
        ProgramRun result = run({"-"}, withValueText(input, "31.5", huge));
        EXPECT_EQ(result.status, kExitBadInput) << huge;
        EXPECT_NE(result.err.find("standard input: conditions.airFlow: "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("too large a number"), std::string::npos) << result.err;

        result = run({"-"}, withValueText(input, "92.25", huge));
        EXPECT_EQ(result.status, kExitBadInput) << huge;
        EXPECT_NE(result.err.find("standard input: vapors[2].molWt: "), std::string::npos) << result.err;
    }
    // A number that merely underflows reads as zero and is then held to its field's limits.
    const ProgramRun tiny = run({"-"}, withValueText(input, "31.5", "1e-400"));
    EXPECT_EQ(tiny.status, kExitBadInput);
    EXPECT_NE(tiny.err.find("conditions.airFlow: 0 is below the lower limit"), std::string::npos) << tiny.err;
}

TEST(CalcProgram, NestingDeeperThanAnyScenarioIsRefusedBeforeItIsBuilt) {
    const json input = benzeneScenario();
    const auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    // 48,000 levels once exhausted the stack while the document was copied.
    ProgramRun result = run({"-"}, withValueText(input, "30", nested(48000)));
    EXPECT_EQ(result.status, kExitBadInput);
    EXPECT_EQ(result.err,
              "standard input: conditions.airFlow[1][1][1][1][1][1]...: nested deeper than 64 levels\n");

    // The deepest nesting allowed is read, and then refused for what it is.
    result = run({"-"}, withValueText(input, "30", nested(kMaxScenarioNesting - 2)));
    EXPECT_EQ(result.status, kExitBadInput);
    EXPECT_EQ(result.err, "standard input: conditions.airFlow: must be a number, not array\n");
    result = run({"-"}, withValueText(input, "30", nested(kMaxScenarioNesting - 1)));
    EXPECT_NE(result.err.find("nested deeper than 64 levels"), std::string::npos) << result.err;
}

TEST(CalcProgram, AFolderIsNotAScenario) {
    const std::string folder = ::testing::TempDir();
    ProgramRun result = run({folder});
    EXPECT_EQ(result.status, kExitBadInput);
    EXPECT_EQ(result.err, "quandrelle-calc: cannot read " + folder + ": is a directory\n");

    // Standard input that is a folder reads through a file buffer, as the program sets it up.
    std::ifstream folderAsInput(folder);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runCalcProgram({"-"}, folderAsInput, out, err), kExitBadInput);
    EXPECT_EQ(err.str(), "quandrelle-calc: cannot read standard input: is a directory\n");
}

TEST(CalcProgram, EveryProblemIsNamedWithItsField) {
    json input = benzeneScenario();
    input["cartridge"].erase("bedDepth");
    input["cartridge"]["bedDiameter"] = 25;
    input["conditions"]["pressure"] = "1";
    input["conditions"]["windSpeed"] = 3;
    input["vapors"][0]["molWt"] = 1;
    input["vapors"][0]["antoineC"] = -150;
    input["colour"] = "red";
    const ProgramRun result = runScenario(input);
    EXPECT_EQ(result.status, kExitBadInput);
    EXPECT_TRUE(result.out.empty());
    for (const char* expected :
         {"standard input: colour: is not a known key", "cartridge.bedDepth: is missing",
          "cartridge.bedDiameter: 25 is above the upper limit of 20",
          "conditions.pressure: must be a number, not string", "conditions.windSpeed: is not a known key",
          "vapors[1].molWt: 1 is below the lower limit of 2",
          "vapors[1].antoineC: -150 is below the lower limit of -120"}) {
        EXPECT_NE(result.err.find(expected), std::string::npos) << "missing: " << expected << "\n"
                                                                << result.err;
    }
}

TEST(CalcProgram, LimitsAreThoseOfTheScreenFields) {
    json input = benzeneScenario();
    input["conditions"]["pressure"] = 1.5;
    input["conditions"]["temperature"] = 0;
    input["vapors"][0]["waterSolFactor"] = 1.0;
    EXPECT_EQ(runScenario(input).status, kExitResults);
    input["conditions"]["pressure"] = 1.6;
    const ProgramRun result = runScenario(input);
    EXPECT_EQ(result.status, kExitBadInput);
    EXPECT_NE(result.err.find("conditions.pressure: 1.6 is above the upper limit of 1.5"), std::string::npos);
    input["conditions"]["pressure"] = 1;
    input["conditions"]["cartridges"] = 11;
    EXPECT_NE(runScenario(input).err.find("conditions.cartridges: 11 is above the upper limit of 10"),
              std::string::npos);
    input["conditions"]["cartridges"] = 2;
    input["vapors"][0]["concentration"] = 150000;
    EXPECT_NE(
        runScenario(input).err.find("vapors[1].concentration: 150000 is above the upper limit of 100,000"),
        std::string::npos);
}

TEST(CalcProgram, VaporListMustHoldOneToFiveNamedVapors) {
    json input = benzeneScenario();
    input["vapors"] = json::array();
    EXPECT_NE(runScenario(input).err.find("vapors: must hold 1 to 5 vapors, not 0"), std::string::npos);
    input["vapors"] = json::array();
    for (int i = 0; i < 6; ++i) {
        input["vapors"].push_back(toluene(100, 10));
    }
    EXPECT_EQ(runScenario(input).status, kExitBadInput);
    input["vapors"] = json::array({toluene(100, 10), 7});
    EXPECT_NE(runScenario(input).err.find("vapors[2]: must be an object, not number"), std::string::npos);
    input["vapors"] = json::array({toluene(100, 10)});
    input["vapors"][0]["name"] = " none selected ";
    EXPECT_NE(runScenario(input).err.find("vapors[1].name: must name the vapor"), std::string::npos);
    input["vapors"] = "Toluene";
    EXPECT_NE(runScenario(input).err.find("vapors: must be an array, not string"), std::string::npos);
}

TEST(CalcProgram, UsageErrors) {
    EXPECT_EQ(run({}).status, kExitBadInput);
    const ProgramRun unknown = run({"--yaml", "x.json"});
    EXPECT_EQ(unknown.status, kExitBadInput);
    EXPECT_NE(unknown.err.find("unknown option --yaml"), std::string::npos);
    EXPECT_EQ(run({"a.json", "b.json"}).status, kExitBadInput);
    const ProgramRun help = run({"--help"});
    EXPECT_EQ(help.status, kExitResults);
    EXPECT_NE(help.out.find("usage: quandrelle-calc"), std::string::npos);
}

// ---- The change schedule and the exposure check ----

TEST(CalcProgramSchedule, AScenarioWithoutThemPrintsNeither) {
    const ProgramRun asJson = runScenario(benzeneScenario());
    const json output = json::parse(asJson.out);
    EXPECT_FALSE(output.contains("schedule"));
    EXPECT_FALSE(output.contains("exposure"));
    const ProgramRun table = runScenario(benzeneScenario(), false);
    EXPECT_EQ(table.out.find("Schedule:"), std::string::npos);
    EXPECT_EQ(table.out.find("Exposure check"), std::string::npos);
}

TEST(CalcProgramSchedule, JsonAndTableCarryTheScheduleAndTheCheck) {
    json input = benzeneScenario();
    input["schedule"] = {{"safetyFactor", 2}, {"shiftHours", 10}, {"wornHoursPerShift", 8}};
    input["exposure"] = {{"facepiece", "full facepiece"}};
    input["vapors"][0]["oel"] = 10;
    input["vapors"][0]["idlh"] = 500;
    const ProgramRun asJson = runScenario(input);
    ASSERT_EQ(asJson.status, kExitResults) << asJson.err;
    const json output = json::parse(asJson.out);
    // 837.9 min / 2 = 418.9 min, rounded down to whole hours and shorter than the 8 h worn.
    EXPECT_EQ(output["schedule"]["changeAfterMinutes"], 360);
    EXPECT_EQ(output["schedule"]["endOfShift"], true);
    EXPECT_EQ(output["schedule"]["decidedBy"], "vapor basis");
    EXPECT_EQ(output["exposure"]["protectionFactor"], 50);
    EXPECT_EQ(output["exposure"]["hazardRatios"][0]["ratio"], 10);
    EXPECT_EQ(output["exposure"]["adequate"], true);
    const ProgramRun table = runScenario(input, false);
    EXPECT_NE(table.out.find("Schedule: Change cartridges after 6 h of wear (0.75 shifts), and at the end of "
                             "every shift: Benzene's estimate 13 h 57 min divided by the safety factor 2"),
              std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find("Exposure check (protection factor 50): adequate; Benzene 10.00"),
              std::string::npos)
        << table.out;
}

TEST(CalcProgramSchedule, ARefusedScheduleFailsTheCommandAfterItsResults) {
    json input = benzeneScenario();
    input["schedule"] = json::object();
    input["exposure"] = {{"protectionFactor", 5}};
    input["vapors"][0]["oel"] = 10;
    const ProgramRun result = runScenario(input);
    EXPECT_EQ(result.status, kExitRefusedOrFailed);
    const json output = json::parse(result.out);
    EXPECT_EQ(output["exposure"]["adequate"], false);
    EXPECT_EQ(output["schedule"]["decidedBy"], "refused");
    EXPECT_EQ(output["schedule"]["changeAfterMinutes"], 0);
    EXPECT_NE(result.err.find("No change schedule: Benzene at 100 ppm exceeds 5 times its exposure limit"),
              std::string::npos)
        << result.err;
}

TEST(CalcProgramSchedule, EveryProblemOfTheProgrammeInputsIsNamed) {
    json input = benzeneScenario();
    input["schedule"] = {{"basis", "median"}, {"acrossShifts", "yes"}, {"coffeeBreaks", 2}};
    input["exposure"] = {{"facepiece", "hood"}};
    input["vapors"][0]["oel"] = "10";
    const ProgramRun result = runScenario(input);
    EXPECT_EQ(result.status, kExitBadInput);
    for (const char* expected :
         {"schedule.basis: must be \"estimate\" or \"minimum\", not \"median\"",
          "schedule.acrossShifts: must be true or false, not string",
          "schedule.coffeeBreaks: is not a known key",
          "exposure.facepiece: must be \"half mask\" or \"full facepiece\", not \"hood\"",
          "vapors[1].oel: must be a number, not string"}) {
        EXPECT_NE(result.err.find(expected), std::string::npos) << "missing: " << expected << "\n"
                                                                << result.err;
    }
    for (const auto& [key, value, expected] :
         {std::tuple<const char*, json, const char*>{
              "schedule",
              {{"safetyFactor", 0.5}},
              "schedule: The safety factor must be a number of 1 or more."},
          {"schedule", {{"wornHoursPerShift", 9}}, "schedule: The hours worn per shift must be above 0"},
          {"exposure", {{"facepiece", "half mask"}, {"protectionFactor", 10}}, "exposure: give either"}}) {
        json single = benzeneScenario();
        single[key] = value;
        const ProgramRun refused = runScenario(single);
        EXPECT_EQ(refused.status, kExitBadInput);
        EXPECT_NE(refused.err.find(expected), std::string::npos) << refused.err;
    }
}

// A calculation saved as a file runs to the numbers of the scenario it was saved from.
TEST(CalcProgramFile, RunsASavedCalculation) {
    Scenario scenario;
    ASSERT_TRUE(readScenario(benzeneScenario(), scenario).empty());
    const auto file = std::filesystem::path(::testing::TempDir()) / "saved-run.quandrelle";
    ASSERT_TRUE(saveScenarioFile(file, scenario.state).empty());
    const ProgramRun saved = run({file.string(), "--json"});
    std::filesystem::remove(file);
    ASSERT_EQ(saved.status, kExitResults) << saved.err;
    // A saved file always holds the schedule and exposure inputs, so its output adds their results.
    const json fromFile = json::parse(saved.out);
    const json typed = json::parse(runScenario(benzeneScenario()).out);
    EXPECT_EQ(fromFile["results"], typed["results"]);
    EXPECT_EQ(fromFile["notes"], typed["notes"]);
}

// ---- The change-schedule report ----

TEST(CalcProgramReport, TheWriterGetsTheFinishedRunAndTheHeading) {
    ReportRequest asked;
    double estimate = 0;
    const ProgramRun result =
        run({"-", "--report", "out.pdf", "--site", "Plant 3", "--task", "Degreasing", "--prepared-by",
             "A. Person"},
            benzeneScenario().dump(), [&](const CalcState& state, const ReportRequest& request) {
                asked = request;
                estimate = state.breakTimeResult[1];
            });
    ASSERT_EQ(result.status, kExitResults) << result.err;
    EXPECT_EQ(asked.path, "out.pdf");
    EXPECT_EQ(asked.site, "Plant 3");
    EXPECT_EQ(asked.task, "Degreasing");
    EXPECT_EQ(asked.preparedBy, "A. Person");
    EXPECT_GT(estimate, 0) << "the report is written after the run";
    EXPECT_NE(result.out.find("Benzene"), std::string::npos) << "the results are printed as well";
}

// A saved calculation names its own site, task and preparer; the command line's win where given.
TEST(CalcProgramReport, TheHeadingComesFromTheFileWhereTheCommandLineGivesNone) {
    json saved = benzeneScenario();
    saved["format"] = 1;
    saved["report"] = {{"site", "Plant 3"}, {"task", "Degreasing"}, {"preparedBy", "A. Person"}};
    ReportRequest asked;
    const ProgramRun result = run({"-", "--report", "out.pdf", "--task", "Wiping"}, saved.dump(),
                                  [&](const CalcState&, const ReportRequest& request) { asked = request; });
    ASSERT_EQ(result.status, kExitResults) << result.err;
    EXPECT_EQ(asked.site, "Plant 3");
    EXPECT_EQ(asked.task, "Wiping");
    EXPECT_EQ(asked.preparedBy, "A. Person");
}

TEST(CalcProgramReport, AReportThatCannotBeWrittenFailsTheCommand) {
    const ProgramRun result =
        run({"-", "--report", "/nowhere/out.pdf"}, benzeneScenario().dump(),
            [](const CalcState&, const ReportRequest&) {
                throw std::runtime_error("The report could not be written to /nowhere/out.pdf");
            });
    EXPECT_EQ(result.status, kExitRefusedOrFailed);
    EXPECT_EQ(result.err, "The report could not be written to /nowhere/out.pdf\n");
}

TEST(CalcProgramReport, BadUsageIsRefusedBeforeAnyRun) {
    bool written = false;
    const ReportWriter writer = [&](const CalcState&, const ReportRequest&) { written = true; };
    EXPECT_EQ(run({"-", "--report"}, benzeneScenario().dump(), writer).status, kExitBadInput);
    EXPECT_EQ(run({"-", "--site"}, benzeneScenario().dump(), writer).status, kExitBadInput);
    EXPECT_EQ(
        run({"-", "--report", "out.pdf", "--sweep", "relHumidity=5:95:3"}, benzeneScenario().dump(), writer)
            .status,
        kExitBadInput);
    const ProgramRun withoutQt = run({"-", "--report", "out.pdf"}, benzeneScenario().dump());
    EXPECT_EQ(withoutQt.status, kExitBadInput);
    EXPECT_NE(withoutQt.err.find("cannot write reports"), std::string::npos) << withoutQt.err;
    EXPECT_TRUE(withoutQt.out.empty());
    // A refused run writes no report.
    json refused = benzeneScenario();
    refused["vapors"][0]["breakConc"] = 60;
    EXPECT_EQ(run({"-", "--report", "out.pdf"}, refused.dump(), writer).status, kExitRefusedOrFailed);
    EXPECT_FALSE(written);
}

}  // namespace
}  // namespace quandrelle::calc
