// The data input screen: captions, slots opening in order, the vapor screen opened for a slot,
// Clear All Vapors, Continue's completeness rules, the exit question.

#include <QLabel>
#include <QPushButton>

#include "ScreenTest.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/UseOneM.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/screens/framework/PeerScreens.h"

namespace quandrelle::testing {
namespace {

// Stands in for the vapor screen and records what the hub asks of it, in order.
class FakeVaporScreen : public QWidget, public VaporSlotEditor {
public:
    void ClearVaporForm() override { calls.push_back("ClearVaporForm"); }
    void SetOldVaporFields(int slot) override {
        calls.push_back("SetOldVaporFields " + std::to_string(slot));
    }
    void RefillChemicalList(int count) override {
        calls.push_back("RefillChemicalList " + std::to_string(count));
    }
    int vaporRecordCount() const override { return 42; }
    void setAvgVapConcText(const QString& text) override {
        calls.push_back("AvgVapConc " + text.toStdString());
    }
    void focusChemName() override {
        calls.push_back(std::string("ChemName focus, shown ") + (isVisible() ? "yes" : "no"));
    }
    std::vector<std::string> calls;
};

class FakeResultsScreen : public QWidget, public ResultsDisplay {
public:
    void ShowInputsOnResults() override { calls.push_back("ShowInputsOnResults"); }
    void ClearResultsDisplay() override { calls.push_back("ClearResultsDisplay"); }
    void focusBreakConc(int row) override { calls.push_back("VapBkConc focus " + std::to_string(row)); }
    std::vector<std::string> calls;
};

Message note(const std::string& text) {
    return Message{text, std::string("Note"), MessageButtons::Ok, MessageIcon::None};
}

class InputMasterFiveTest : public ScreenTest {
protected:
    void SetUp() override {
        forms.define(forms::kInputMasterFive, [this] { return std::make_unique<InputMasterFive>(context); });
        forms.define(forms::kUseOneM, [this] { return std::make_unique<UseOneM>(context); });
        state.mixCount = 3;
        hub = &forms.form<InputMasterFive>(forms::kInputMasterFive);
        showAndActivate(forms::kInputMasterFive);
    }

    FakeVaporScreen& withVaporScreen() {
        forms.define(forms::kVapor, [] { return std::make_unique<FakeVaporScreen>(); });
        return forms.form<FakeVaporScreen>(forms::kVapor);
    }

    FakeResultsScreen& withResultsScreen() {
        forms.define(forms::kResults, [] { return std::make_unique<FakeResultsScreen>(); });
        return forms.form<FakeResultsScreen>(forms::kResults);
    }

    // A cartridge, vapor #1 and accepted use conditions: the least Continue needs.
    void completeInput() {
        nameCartridge(QStringLiteral("HALF MASK OV"));
        nameVapor(1, QStringLiteral("Benzene"));
        state.atmPressure = 1;
    }

    std::vector<bool> slotButtonsEnabled() const {
        std::vector<bool> enabled;
        for (int slot = 1; slot <= 5; ++slot) {
            enabled.push_back(hub->selectVapButton(slot)->isEnabled());
        }
        return enabled;
    }

    InputMasterFive* hub = nullptr;
};

TEST_F(InputMasterFiveTest, FirstShowingHasTheCaptionsTipsAndOnlyTheFirstSlotOpen) {
    EXPECT_EQ(hub->windowTitle(), QStringLiteral("Data Input"));
    EXPECT_TRUE(hub->selectCartButton()->hasFocus());
    EXPECT_EQ(state.mixCount, 0);
    EXPECT_EQ(slotButtonsEnabled(), (std::vector<bool>{true, false, false, false, false}));

    const std::vector<std::tuple<QPushButton*, QString, QString>> buttons = {
        {hub->selectCartButton(), "Organic Vapor Cartridge", "Enter values for the cartridge"},
        {hub->selectVapButton(3), "Organic Vapor #3", "Enter values for a vapor"},
        {hub->selectUseButton(), "Use Conditions", "Enter values for the use conditions"},
        {hub->clearVaporsButton(), "Clear All Vapors", ""},
        {hub->continueButton(), "Continue", "Calculate results based on data input"},
        {hub->exitButton(), "Exit", "Exit program"},
    };
    for (const auto& [button, caption, tip] : buttons) {
        EXPECT_EQ(button->text(), caption);
        EXPECT_EQ(button->toolTip(), tip) << caption.toStdString();
    }
    EXPECT_EQ(hub->cartridgeCaption(), QStringLiteral("None Selected"));
    EXPECT_EQ(hub->vaporCaption(5), QStringLiteral("None Selected"));
    EXPECT_EQ(hub->findChildren<QLabel*>().size(), 8) << "two headings and six current-choice labels";
    QStringList names;
    for (const QLabel* label : hub->findChildren<QLabel*>()) {
        names << label->accessibleName();
    }
    EXPECT_TRUE(names.contains(QStringLiteral("Current: Organic Vapor Cartridge: None Selected")));
    EXPECT_TRUE(names.contains(QStringLiteral("Current: Organic Vapor #4: None Selected")));
}

TEST_F(InputMasterFiveTest, TheKeyboardVisitsTheButtonsInOrder) {
    std::vector<QString> visited;
    for (int i = 0; i < 10; ++i) {
        visited.push_back(qobject_cast<QAbstractButton*>(QApplication::focusWidget())->text());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited, (std::vector<QString>{"Organic Vapor Cartridge", "Organic Vapor #1", "Use Conditions",
                                             "Clear All Vapors", "Continue", "Exit", "Open...", "Save...",
                                             "Recent", "Organic Vapor Cartridge"}));
}

TEST_F(InputMasterFiveTest, SlotButtonsOpenOnceTheSlotBelowShowsAVapor) {
    nameVapor(1, QStringLiteral("Benzene"));
    nameVapor(2, QStringLiteral("  none selected "));
    hub->ValidateButtons();
    EXPECT_EQ(slotButtonsEnabled(), (std::vector<bool>{true, true, false, false, false}));
    nameVapor(2, QStringLiteral("Toluene"));
    nameVapor(3, QStringLiteral("Hexane"));
    hub->ValidateButtons();
    EXPECT_EQ(slotButtonsEnabled(), (std::vector<bool>{true, true, true, true, false}));
}

TEST_F(InputMasterFiveTest, TheNextFreeSlotOpensTheVaporScreenForIt) {
    FakeVaporScreen& vapor = withVaporScreen();
    hub->selectVapButton(1)->click();
    EXPECT_EQ(state.vaporCount, 1);
    EXPECT_EQ(state.mixCount, 1);
    EXPECT_EQ(hub->selectedVapIdx(), 1);
    EXPECT_FALSE(hub->isVisible());
    EXPECT_TRUE(vapor.isVisible());
    EXPECT_EQ(vapor.calls, (std::vector<std::string>{"ChemName focus, shown yes", "RefillChemicalList 42",
                                                     "AvgVapConc 0"}));
}

TEST_F(InputMasterFiveTest, ASlotOpenedBeforeShowsItsValuesAgain) {
    FakeVaporScreen& vapor = withVaporScreen();
    state.vaporCount = 2;
    state.vapors[2].avgConc = 100.5f;
    nameVapor(1, QStringLiteral("Benzene"));
    nameVapor(2, QStringLiteral("Toluene"));
    hub->ValidateButtons();
    hub->selectVapButton(2)->click();
    EXPECT_EQ(state.vaporCount, 2);
    EXPECT_EQ(hub->selectedVapIdx(), 2);
    EXPECT_EQ(vapor.calls,
              (std::vector<std::string>{"ClearVaporForm", "SetOldVaporFields 2", "ChemName focus, shown yes",
                                        "RefillChemicalList 42", "SetOldVaporFields 2", "AvgVapConc 100.5"}));
}

TEST_F(InputMasterFiveTest, ASlotOutOfTurnIsRefusedWithANote) {
    FakeVaporScreen& vapor = withVaporScreen();
    nameVapor(1, QStringLiteral("Benzene"));  // shown, but slot 1 was never opened
    hub->ValidateButtons();
    hub->selectVapButton(2)->click();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], note("Lower numbered Organic Vapors must be set first."));
    EXPECT_EQ(state.vaporCount, 0);
    EXPECT_TRUE(hub->isVisible());
    EXPECT_TRUE(vapor.calls.empty());
}

TEST_F(InputMasterFiveTest, ScreensNotBuiltYetAreAnnouncedAndChangeNothing) {
    hub->selectVapButton(1)->click();
    hub->selectCartButton()->click();
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[0], note("The Organic Vapor Data screen is not available yet."));
    EXPECT_EQ(messenger.shown[1], note("The Cartridge or Carbon Bed Data screen is not available yet."));
    EXPECT_EQ(state.vaporCount, 0);
    EXPECT_TRUE(hub->isVisible());
}

TEST_F(InputMasterFiveTest, UseConditionsHidesTheHubAndShowsThatScreen) {
    hub->selectUseButton()->click();
    EXPECT_FALSE(hub->isVisible());
    EXPECT_TRUE(forms.form(forms::kUseOneM).isVisible());
}

TEST_F(InputMasterFiveTest, ClearAllVaporsEmptiesEverySlotAndNothingElse) {
    completeInput();
    state.vaporCount = 3;
    state.mixCount = 3;
    for (int slot = 1; slot <= 3; ++slot) {
        state.vapors[slot] = VaporData{"Vapor", 78.11f,    0.88f, 26.2f, 0.1f, 100, 15.9f, 2788,
                                       -52,     "71-43-2", 0,     0,     0,    {},  {},    {}};
        state.breakConc[slot] = 10;
        nameVapor(slot, QStringLiteral("Vapor"));
    }
    hub->ValidateButtons();
    hub->clearVaporsButton()->click();

    for (int slot = 1; slot <= 5; ++slot) {
        const VaporData& v = state.vapors[slot];
        EXPECT_EQ(v.chemName, "None Selected");
        EXPECT_EQ(v.casNumber, "");
        EXPECT_EQ(v.molWt + v.liqDensity + v.molPolariz + v.waterSolFactor + v.avgConc, 0.0f);
        EXPECT_EQ(v.antoineA + v.antoineB + v.antoineC, 0.0f);
        EXPECT_EQ(hub->vaporCaption(slot), QStringLiteral("None Selected"));
    }
    EXPECT_EQ(state.vaporCount, 0);
    EXPECT_EQ(state.mixCount, 0);
    EXPECT_EQ(slotButtonsEnabled(), (std::vector<bool>{true, false, false, false, false}));
    EXPECT_EQ(hub->cartridgeCaption(), QStringLiteral("HALF MASK OV"));
    EXPECT_EQ(state.atmPressure, 1.0f);
    EXPECT_EQ(state.breakConc[2], 10) << "breakthrough concentrations are the results screen's";
}

TEST_F(InputMasterFiveTest, ContinueRefusesIncompleteInput) {
    withResultsScreen();
    struct Case {
        const char* name;
        std::function<void(CalcState&)> spoil;
    };
    const std::vector<Case> cases = {
        {"no cartridge", [](CalcState& s) { s.cartName = " NONE selected"; }},
        {"empty cartridge", [](CalcState& s) { s.cartName.clear(); }},
        {"no vapor #1", [](CalcState& s) { s.vapors[1].chemName = "None Selected"; }},
        {"empty vapor #1", [](CalcState& s) { s.vapors[1].chemName.clear(); }},
        {"use conditions never accepted", [](CalcState& s) { s.atmPressure = 0; }},
    };
    for (const Case& c : cases) {
        completeInput();
        c.spoil(state);
        messenger.shown.clear();
        hub->continueButton()->click();
        ASSERT_EQ(messenger.shown.size(), 1u) << c.name;
        EXPECT_EQ(messenger.shown[0], note("All fields must be filled with valid parameters or conditions."))
            << c.name;
        EXPECT_TRUE(hub->isVisible()) << c.name;
    }
    EXPECT_TRUE(forms.form<FakeResultsScreen>(forms::kResults).calls.empty());
}

TEST_F(InputMasterFiveTest, ContinueWithTheFirstVaporAloneFillsAndShowsTheResults) {
    FakeResultsScreen& results = withResultsScreen();
    completeInput();
    hub->continueButton()->click();
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_FALSE(hub->isVisible());
    EXPECT_TRUE(results.isVisible());
    EXPECT_EQ(results.calls,
              (std::vector<std::string>{"ShowInputsOnResults", "ClearResultsDisplay", "VapBkConc focus 1"}));
}

TEST_F(InputMasterFiveTest, AnsweringNoToTheExitQuestionLeavesTheFocusOnContinue) {
    messenger.answer(MessageAnswer::No);
    hub->exitButton()->click();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], (Message{"Are you sure you want to quit?", std::string(""),
                                           MessageButtons::YesNo, MessageIcon::None}));
    EXPECT_EQ(program.endCount, 0);
    activate(*hub);
    EXPECT_TRUE(hub->continueButton()->hasFocus());
}

TEST_F(InputMasterFiveTest, AnsweringYesEndsTheProgram) {
    messenger.answer(MessageAnswer::Yes);
    hub->exitButton()->click();
    EXPECT_EQ(program.endCount, 1);
}

TEST_F(InputMasterFiveTest, ClosingTheWindowAsksTheExitQuestion) {
    messenger.answer(MessageAnswer::No);
    hub->close();
    EXPECT_EQ(messenger.shown.size(), 1u);
    EXPECT_TRUE(hub->isVisible()) << "the program never runs on without a window";
    messenger.answer(MessageAnswer::Yes);
    hub->close();
    EXPECT_EQ(program.endCount, 1);
}

}  // namespace
}  // namespace quandrelle::testing
