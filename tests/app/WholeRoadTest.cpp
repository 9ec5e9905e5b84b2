// One whole calculation driven through the screens alone, as a user goes: start, Continue, a new
// cartridge saved, one vapor from the vapor file and one typed and saved, the use conditions,
// Continue, the breakthrough concentrations, Calculate. The results must be exactly those of the
// command-line calculator on the same scenario.

#include <QApplication>
#include <QLineEdit>
#include <nlohmann/json.hpp>
#include <sstream>

#include "../stores/TempFolder.h"
#include "ScreenTest.h"
#include "quandrelle/app/Application.h"
#include "quandrelle/app/Opening.h"
#include "quandrelle/calc/CalcProgram.h"
#include "quandrelle/screens/forms/BreakTimeFive.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/UseOneM.h"
#include "quandrelle/screens/forms/frmCartridgeMulti.h"
#include "quandrelle/screens/forms/frmVaporMulti.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle::testing {
namespace {

// The user's vapor file holds toluene, with a concentration the user will change.
std::string tolueneRecord() {
    std::string bytes = field("Toluene", 35);
    for (const char* number : {"92.14", "0.8668", "31.06", "0", "100", "16.01365", "3096.516", "-53.668"}) {
        bytes += field(number, 8);
    }
    return bytes + field("108-88-3", 18);
}

const char* const kScenario = R"({
  "cartridge": {"name": "Half-mask OV", "bedDiameter": 8.0, "bedDepth": 3.0, "carbonWeight": 26.0,
                "microporeVolume": 0.45, "precondRH": 80, "granuleDiameter": 0.1,
                "benzenePotential": 19.0, "waterAffinity": 0.06},
  "conditions": {"temperature": 25, "pressure": 1.0, "relHumidity": 65, "cartridges": 2, "airFlow": 30},
  "vapors": [
    {"name": "Toluene", "cas": "108-88-3", "molWt": 92.14, "liqDensity": 0.8668, "molPolariz": 31.06,
     "waterSolFactor": 0, "concentration": 150, "antoineA": 16.01365, "antoineB": 3096.516,
     "antoineC": -53.668, "breakConc": 15},
    {"name": "Methyl ethyl ketone", "cas": "78-93-3", "molWt": 72.11, "liqDensity": 0.8054,
     "molPolariz": 20.68, "waterSolFactor": 0.32, "concentration": 300, "antoineA": 16.26445,
     "antoineB": 2904.34, "antoineC": -51.181, "breakConc": 30}
  ]
})";

class WholeRoadTest : public ScreenTest {
protected:
    void SetUp() override {
        dataFolder = temp.folder();
        temp.write("VaporB30.DB", tolueneRecord());
        defineScreens(context);
    }

    static void typeName(QComboBox* box, const QString& name) {
        box->setFocus(Qt::OtherFocusReason);
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), name);
    }

    // Types each value and leaves the field with Tab, as the user does, so every check runs.
    static void typeAndTab(const std::vector<std::pair<NumericLineEdit*, QString>>& entries) {
        for (const auto& [field, text] : entries) {
            typeInto(field, text);
            QTest::keyClick(field, Qt::Key_Tab);
        }
    }

    template <typename Screen>
    Screen& shown(const char* name) {
        auto& screen = forms.form<Screen>(name);
        EXPECT_TRUE(screen.isVisible()) << name;
        activate(screen);
        return screen;
    }

    nlohmann::json commandLineResults(const nlohmann::json& scenario = nlohmann::json::parse(kScenario)) {
        std::istringstream in(scenario.dump());
        std::ostringstream out;
        std::ostringstream err;
        const int status = calc::runCalcProgram({"-", "--json"}, in, out, err);
        EXPECT_EQ(status, calc::kExitResults) << err.str();
        return nlohmann::json::parse(out.str());
    }

    BreakTimeFive& driveToTheFirstRun();
    void expectTheCommandLineResults(const BreakTimeFive& results, const nlohmann::json& expected);

    TempFolder temp;
};

BreakTimeFive& WholeRoadTest::driveToTheFirstRun() {
    showAndActivate(forms::kOpening);
    clickThroughWindow(forms.form<Opening>(forms::kOpening).continueButton());
    auto& hub = shown<InputMasterFive>(forms::kInputMasterFive);

    // A new cartridge, typed and saved.
    clickThroughWindow(hub.selectCartButton());
    auto& cartridge = shown<frmCartridgeMulti>(forms::kCartridge);
    typeName(cartridge.cartName(), QStringLiteral("Half-mask OV"));
    typeAndTab({{cartridge.bedDiam(), "8.0"},
                {cartridge.bedDepth(), "3.0"},
                {cartridge.carbWgt(), "26.0"},
                {cartridge.micVol(), "0.45"},
                {cartridge.relHumPre(), "80"},
                {cartridge.diamGran(), "0.1"},
                {cartridge.apBenzene(), "19.0"},
                {cartridge.affinityForWater(), "0.06"}});
    clickThroughWindow(cartridge.saveButton());
    EXPECT_EQ(temp.read("CartridgeB30.DB").size(), 99u);
    clickThroughWindow(cartridge.exitButton());
    EXPECT_EQ(hub.cartridgeCaption(), QStringLiteral("Half-mask OV"));

    // Vapor #1 from the vapor file, its concentration changed.
    activate(hub);
    clickThroughWindow(hub.selectVapButton(1));
    auto& vapor = shown<frmVaporMulti>(forms::kVapor);
    typeName(vapor.chemName(), QStringLiteral("toluene"));
    clickThroughWindow(vapor.searchButton());
    EXPECT_EQ(vapor.molWt()->text(), QStringLiteral("92.14"));
    typeAndTab({{vapor.avgVapConc(), "150"}});
    clickThroughWindow(vapor.exitButton());

    // Vapor #2 typed and saved to the file.
    activate(hub);
    clickThroughWindow(hub.selectVapButton(2));
    activate(vapor);
    typeName(vapor.chemName(), QStringLiteral("Methyl ethyl ketone"));
    typeAndTab({{vapor.molWt(), "72.11"},
                {vapor.liqDensity(), "0.8054"},
                {vapor.molPol(), "20.68"},
                {vapor.waterSol(), "0.32"},
                {vapor.avgVapConc(), "300"},
                {vapor.antoineA(), "16.26445"},
                {vapor.antoineB(), "2904.34"},
                {vapor.antoineC(), "-51.181"}});
    typeInto(vapor.cas(), QStringLiteral("78-93-3"));
    clickThroughWindow(vapor.saveButton());
    EXPECT_EQ(temp.read("VaporB30.DB").size(), 2u * 117);
    clickThroughWindow(vapor.exitButton());
    EXPECT_EQ(hub.vaporCaption(2), QStringLiteral("Methyl ethyl ketone"));

    // The use conditions.
    activate(hub);
    clickThroughWindow(hub.selectUseButton());
    auto& use = shown<UseOneM>(forms::kUseOneM);
    typeAndTab({{use.temperature(), "25"}, {use.relHumid(), "65"}});
    clickThroughWindow(use.returnButton());

    // On to the results, the breakthrough concentrations, Calculate.
    activate(hub);
    clickThroughWindow(hub.continueButton());
    auto& results = shown<BreakTimeFive>(forms::kResults);
    typeAndTab({{results.vapBkConc(1), "15"}, {results.vapBkConc(2), "30"}});
    clickThroughWindow(results.cmdCalc());
    EXPECT_TRUE(messenger.shown.empty()) << messenger.shown.front().text;
    return results;
}

void WholeRoadTest::expectTheCommandLineResults(const BreakTimeFive& results,
                                                const nlohmann::json& expected) {
    ASSERT_EQ(expected["results"].size(), 2u);
    for (int p = 1; p <= 2; ++p) {
        const nlohmann::json& row = expected["results"][static_cast<std::size_t>(p - 1)];
        SCOPED_TRACE(row.dump());
        EXPECT_EQ(results.vapNm(p)->text().toStdString(), row["name"].get<std::string>());
        EXPECT_EQ(results.bkT(p)->text().toStdString(), row["display"]["estimate"].get<std::string>());
        EXPECT_EQ(results.bkTMin(p)->text().toStdString(), row["display"]["min"].get<std::string>());
        EXPECT_EQ(results.bkTMax(p)->text().toStdString(), row["display"]["max"].get<std::string>());
        EXPECT_EQ(state.breakTimeResult[p], row["breakthroughTime"].get<double>()) << "to the last bit";
        EXPECT_GT(state.breakTimeResult[p], 0.0);
    }
}

TEST_F(WholeRoadTest, TheScreensAloneGiveTheCommandLineResults) {
    const BreakTimeFive& results = driveToTheFirstRun();
    expectTheCommandLineResults(results, commandLineResults());
}

// A flow and humidity changed on the results screen take part in the next run in full: the water
// uptake of the bed follows the face velocity of the new flow, as it does from the command line.
TEST_F(WholeRoadTest, ConditionsChangedOnTheResultsScreenGiveTheCommandLineResults) {
    BreakTimeFive& results = driveToTheFirstRun();
    typeAndTab({{results.relHumid(), "85"}, {results.airFlowVol(), "45"}});
    clickThroughWindow(results.cmdCalc());
    ASSERT_TRUE(messenger.shown.empty()) << messenger.shown.front().text;

    nlohmann::json scenario = nlohmann::json::parse(kScenario);
    scenario["conditions"]["relHumidity"] = 85;
    scenario["conditions"]["airFlow"] = 45;
    expectTheCommandLineResults(results, commandLineResults(scenario));
}

}  // namespace
}  // namespace quandrelle::testing
