// Saving a calculation and opening it again: the file gives back every input to the bit, the same
// state always gives the same bytes, and a file that cannot be opened changes nothing.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

#include "TempFolder.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/engine/ProgrammeInputs.h"
#include "quandrelle/scenario/ScenarioFile.h"
#include "quandrelle/scenario/ScenarioText.h"

namespace quandrelle::calc {
namespace {

using testing::TempFolder;

std::string exampleText(const char* name) {
    std::ifstream in(std::string(QUANDRELLE_EXAMPLES_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Scenario readOrFail(const std::string& text) {
    Scenario scenario;
    const Problems problems = readScenarioText(text, scenario);
    EXPECT_TRUE(problems.empty()) << (problems.empty() ? "" : problems.front());
    return scenario;
}

class ExampleFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleFileTest, SavedFileGivesBackEveryInputAndSavesAgainToTheSameBytes) {
    Scenario example = readOrFail(exampleText(GetParam()));
    storeReportHeader(example.state, {"Plant 3", "Spray booth, \"line\" B", "J. Doe"});
    storeSchedule(example.state, {.safetyFactor = 2.5,
                                  .basis = ScheduleBasis::Minimum,
                                  .shiftHours = 10,
                                  .wornHoursPerShift = 7.5,
                                  .acrossShifts = true});
    storeExposure(example.state, {Facepiece::Typed, 25});
    storeExposureLimits(example.state, 1, 20, 500);
    example.state.vapors[1].dataSource = "the program's vapor library";
    TempFolder folder;
    const auto file = folder.file("run.quandrelle");
    ASSERT_TRUE(saveScenarioFile(file, example.state).empty());
    const std::string saved = folder.read("run.quandrelle");

    Scenario opened;
    ASSERT_TRUE(openScenarioFile(file, opened).empty());
    EXPECT_TRUE(sameInputs(opened.state, example.state));
    EXPECT_TRUE(opened.state.schedule.acrossShifts);
    EXPECT_EQ(opened.state.exposure.typedProtectionFactor, 25);
    EXPECT_EQ(opened.state.vapors[1].idlh, 500);
    ASSERT_TRUE(saveScenarioFile(file, opened.state).empty());
    EXPECT_EQ(folder.read("run.quandrelle"), saved);
}

// After a run the vapors stand in the order they break through; a file saved then runs again to the
// same times.
TEST_P(ExampleFileTest, SavedAfterARunRunsAgainToTheSameTimes) {
    Scenario run = readOrFail(exampleText(GetParam()));
    ASSERT_EQ(Calculate(run.state, run.rows).status, CalculateStatus::Done);
    Scenario again = readOrFail(scenarioText(run.state));
    ASSERT_EQ(Calculate(again.state, again.rows).status, CalculateStatus::Done);
    for (int slot = kFirstSlot; slot <= run.state.vaporCount; ++slot) {
        EXPECT_EQ(again.state.vapors[slot].chemName, run.state.vapors[slot].chemName);
        EXPECT_EQ(again.state.breakTimeResult[slot], run.state.breakTimeResult[slot]) << slot;
        EXPECT_EQ(again.state.breakTimeMin[slot], run.state.breakTimeMin[slot]) << slot;
        EXPECT_EQ(again.state.breakTimeMax[slot], run.state.breakTimeMax[slot]) << slot;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleFileTest,
                         ::testing::Values("benzene-half-mask.json", "paint-shop-3-vapors.json",
                                           "coating-line-5-vapors.json"));

// The state holds humidities as fractions and the water affinity raised for a humid carbon; the
// file holds what was entered.
TEST(ScenarioText, WritesTheEntriesThatGiveTheStoredValues) {
    struct Row {
        double precondRH, waterAffinity, relHumidity, temperature;
    };
    for (const Row row :
         {Row{50, 0.06, 50, 25}, Row{80, 0.06, 33, 23.4}, Row{51, 0.0725, 99, -12.5}, Row{70, 0.1, 1, 0}}) {
        Scenario scenario = readOrFail(exampleText("benzene-half-mask.json"));
        CalcState& state = scenario.state;
        storeCartridge(state, CartridgeInput{.name = "C",
                                             .bedDiameter = 8,
                                             .bedDepth = 3,
                                             .carbonWeight = 26,
                                             .microporeVolume = 0.45,
                                             .precondRH = row.precondRH,
                                             .granuleDiameter = 0.1,
                                             .benzenePotential = 19,
                                             .waterAffinity = row.waterAffinity});
        storeRelHumidity(state, row.relHumidity);
        storeTemperature(state, row.temperature);
        const auto file = nlohmann::json::parse(scenarioText(state));
        EXPECT_EQ(file["cartridge"]["precondRH"].get<double>(), row.precondRH);
        EXPECT_EQ(file["cartridge"]["waterAffinity"].get<double>(), row.waterAffinity);
        EXPECT_EQ(file["conditions"]["relHumidity"].get<double>(), row.relHumidity);
        EXPECT_EQ(file["conditions"]["temperature"].get<double>(), row.temperature);
        EXPECT_EQ(file["format"], kScenarioFormat);
    }
}

TEST(ScenarioFormat, OnlyThisVersionIsRead) {
    const auto withFormat = [](const std::string& format) {
        auto file = nlohmann::ordered_json::parse(exampleText("benzene-half-mask.json"));
        file["format"] = nlohmann::ordered_json::parse(format);
        Scenario scenario;
        const Problems problems = readScenarioText(file.dump(), scenario);
        return problems.empty() ? std::string() : problems.front();
    };
    EXPECT_EQ(withFormat("1"), "");
    EXPECT_EQ(withFormat("2"),
              "format: 2 is of a later version of the program, which this one cannot read (it reads 1)");
    EXPECT_EQ(withFormat("0"), "format: 0 is not a version of the file (the first is 1)");
    EXPECT_EQ(withFormat("1.5"), "format: must be the whole number 1, not 1.5");
    EXPECT_EQ(withFormat("\"1\""), "format: must be the whole number 1, not string");
}

// The programme's inputs are optional, and each refusal names its object.
TEST(ScenarioProgrammeInputs, AreOptionalAndRefusedByName) {
    using Json = nlohmann::ordered_json;
    const Json example = Json::parse(exampleText("benzene-half-mask.json"));
    const Scenario plain = readOrFail(example.dump());
    EXPECT_EQ(plain.state.schedule.safetyFactor, ScheduleInputs{}.safetyFactor);
    EXPECT_EQ(plain.state.exposure.facepiece, Facepiece::HalfMask);
    EXPECT_FALSE(plain.state.vapors[1].oel);
    struct Row {
        const char* pointer;
        Json value;
        std::string problem;
    };
    const Row rows[] = {
        {"/schedule",
         {{"basis", "average"}},
         "schedule.basis: must be \"estimate\" or \"minimum\", not \"average\""},
        {"/schedule", {{"safetyFactor", 0.5}}, "schedule: The safety factor must be a number of 1 or more."},
        {"/exposure",
         {{"facepiece", "hood"}},
         "exposure.facepiece: must be \"half mask\" or \"full facepiece\", not \"hood\""},
        {"/exposure",
         {{"facepiece", "half mask"}, {"protectionFactor", 10}},
         "exposure: give either facepiece or protectionFactor, not both"},
        {"/vapors/0/idlh", 5, "vapors[1]: The IDLH value must not be below the exposure limit."},
        {"/report", {{"task", 4}}, "report.task: must be a text, not number"},
    };
    for (const Row& row : rows) {
        Json file = example;
        if (std::string(row.pointer) == "/vapors/0/idlh") {
            file["vapors"][0]["oel"] = 10;
        }
        file[Json::json_pointer(row.pointer)] = row.value;
        Scenario scenario;
        EXPECT_EQ(readScenarioText(file.dump(), scenario), Problems{row.problem}) << row.pointer;
    }
}

// A file that cannot be opened says why and leaves the calculation that was open as it was.
TEST(OpenScenarioFile, RefusesWhatItCannotReadAndChangesNothing) {
    TempFolder folder;
    const std::string good = exampleText("paint-shop-3-vapors.json");
    folder.write("cut.quandrelle", good.substr(0, good.size() / 2));
    folder.write("later.quandrelle", "{\"format\": 7}");
    folder.write("big.quandrelle", std::string(kMaxScenarioFileBytes + 1, ' '));
    struct Row {
        std::string name, problemStart;
    };
    for (const Row& row :
         {Row{"cut.quandrelle", "malformed JSON: "}, Row{"later.quandrelle", "format: 7 is of a later"},
          Row{"missing.quandrelle", "cannot read "}, Row{"", "cannot read "},
          Row{"big.quandrelle", folder.file("big.quandrelle").string() + " is larger"}}) {
        Scenario open = readOrFail(exampleText("benzene-half-mask.json"));
        const CalcState before = open.state;
        const Problems problems = openScenarioFile(folder.file(row.name), open);
        ASSERT_EQ(problems.size(), 1u) << row.name;
        EXPECT_TRUE(problems.front().starts_with(row.problemStart)) << problems.front();
        EXPECT_TRUE(sameInputs(open.state, before)) << row.name;
    }
}

// A calculation the file could not give back (here, use conditions never entered) is not saved, and
// the file that was there stays.
TEST(SaveScenarioFile, RefusesWhatCouldNotBeOpenedAndKeepsTheOldFile) {
    TempFolder folder;
    folder.write("old.quandrelle", "kept");
    Scenario scenario = readOrFail(exampleText("benzene-half-mask.json"));
    scenario.state.atmPressure = 0;
    const Problems problems = saveScenarioFile(folder.file("old.quandrelle"), scenario.state);
    EXPECT_EQ(problems, (Problems{"conditions.pressure: 0 is below the lower limit of 0.5"}));
    EXPECT_EQ(folder.read("old.quandrelle"), "kept");
    scenario = readOrFail(exampleText("benzene-half-mask.json"));
    scenario.state.cartName = "Half-mask \xff";
    EXPECT_EQ(saveScenarioFile(folder.file("old.quandrelle"), scenario.state).size(), 1u);
    EXPECT_EQ(folder.read("old.quandrelle"), "kept");

    const Problems unwritable = saveScenarioFile(folder.file("no-folder/run.quandrelle"),
                                                 readOrFail(exampleText("benzene-half-mask.json")).state);
    ASSERT_EQ(unwritable.size(), 1u);
    EXPECT_TRUE(unwritable.front().starts_with("cannot write ")) << unwritable.front();
}

}  // namespace
}  // namespace quandrelle::calc
