// The use conditions screen: defaults, limits, conversions, storing on leaving and on Return.

#include <QPlainTextEdit>

#include "ScreenTest.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/UseOneM.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle::testing {
namespace {

class UseOneMTest : public ScreenTest {
protected:
    void SetUp() override {
        forms.define(forms::kInputMasterFive, [this] { return std::make_unique<InputMasterFive>(context); });
        forms.define(forms::kUseOneM, [this] { return std::make_unique<UseOneM>(context); });
        screen = &forms.form<UseOneM>(forms::kUseOneM);
        showAndActivate(forms::kUseOneM);
    }

    void leaveWith(NumericLineEdit* field, const QString& text) {
        typeInto(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }

    static Message invalid(const std::string& text) {
        return Message{text, std::string("Invalid Entry"), MessageButtons::Ok, MessageIcon::None};
    }

    UseOneM* screen = nullptr;
};

TEST_F(UseOneMTest, OpensWithTheDefaultsTipsAndSuggestions) {
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Use Conditions"));
    const std::vector<std::tuple<NumericLineEdit*, QString, QString, QString>> fields = {
        {screen->temperature(), "23", "Enter the temperature", "Temperature (o C)"},
        {screen->atmPressure(), "1.00", "Enter the atmospheric pressure", "Atmospheric Pressure (atm)"},
        {screen->relHumid(), "50", "Enter the relative humidity", "Relative Humidity (%)"},
        {screen->numCarts(), "2", "Enter the number of cartridges on a respirator",
         "Number of Cartridges on a Respirator"},
        {screen->breathingAirFlow(), "30", "Enter the average breathing air flow",
         "Average Breathing Air Flow (L/min)"},
    };
    for (const auto& [field, text, tip, name] : fields) {
        EXPECT_EQ(field->text(), text);
        EXPECT_EQ(field->toolTip(), tip);
        EXPECT_EQ(field->accessibleName(), name);
        EXPECT_EQ(field->palette().color(QPalette::Base), QColor(255, 192, 192));
    }
    EXPECT_EQ(screen->returnButton()->toolTip(), QStringLiteral("Return to top level Data Input screen"));
    EXPECT_EQ(screen->suggestionsText().toStdString(),
              "Sitting\t\t14\r\nLight work          \t21\r\nModerate work\t30\r\nModerately heavy\t37\r\n"
              "Heavy work\t55\r\nVery heavy work\t75\r\n  \r\nUse total flow for PAPRs\r\n");
    EXPECT_TRUE(screen->temperature()->hasFocus());
    EXPECT_EQ(state.atmPressure, 0.0f) << "nothing stored before the user leaves a field or returns";
    saveScreenshotIfAsked(*screen, "QUANDRELLE_USE_CONDITIONS_SCREENSHOT");
}

TEST_F(UseOneMTest, TabVisitsTheFieldsThenTheWorkRateThenReturnThenTheSuggestions) {
    std::vector<QString> visited;
    for (int i = 0; i < 8; ++i) {
        QWidget* focused = QApplication::focusWidget();
        visited.push_back(focused->accessibleName().isEmpty() ? focused->property("text").toString()
                                                              : focused->accessibleName());
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    EXPECT_EQ(visited, (std::vector<QString>{"Temperature (o C)", "Atmospheric Pressure (atm)",
                                             "Relative Humidity (%)", "Number of Cartridges on a Respirator",
                                             "Average Breathing Air Flow (L/min)", "Work rate", "Return",
                                             "Suggestions: "}));
}

TEST_F(UseOneMTest, ReturnWithTheDefaultsStoresThemAndGoesBackToContinue) {
    clickThroughWindow(screen->returnButton());
    EXPECT_EQ(state.tempC, 23.0f);
    EXPECT_EQ(state.atmPressure, 1.0f);
    EXPECT_EQ(state.relHumidity, 0.5f);
    EXPECT_EQ(state.cartsPerRespirator, 2);
    EXPECT_EQ(state.airFlow, 30.0f);
    EXPECT_FALSE(screen->isVisible());
    auto& hub = forms.form<InputMasterFive>(forms::kInputMasterFive);
    ASSERT_TRUE(hub.isVisible());
    activate(hub);
    EXPECT_TRUE(hub.continueButton()->hasFocus());
}

TEST_F(UseOneMTest, AcceptedFieldsAreStoredConvertedWhenLeft) {
    struct Case {
        NumericLineEdit* field;
        QString typed;
        std::function<double()> stored;
        double expected;
    };
    const std::vector<Case> cases = {
        {screen->numCarts(), "2.5", [this] { return state.cartsPerRespirator; }, 2},
        {screen->numCarts(), "3.5", [this] { return state.cartsPerRespirator; }, 4},
        {screen->relHumid(), "65", [this] { return state.relHumidity; }, 0.65f},
        {screen->temperature(), "0", [this] { return state.tempC; }, 0},
        {screen->atmPressure(), "1.5", [this] { return state.atmPressure; }, 1.5},
        {screen->breathingAirFlow(), "42.5abc", [this] { return state.airFlow; }, 42.5},
    };
    for (const Case& c : cases) {
        leaveWith(c.field, c.typed);
        EXPECT_EQ(c.stored(), c.expected) << c.typed.toStdString();
        EXPECT_FALSE(c.field->hasFocus()) << c.typed.toStdString();
    }
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(state.relHumidity, 0.65f);

    clickThroughWindow(screen->returnButton());
    EXPECT_EQ(state.relHumidity, 0.65f) << "the same on Return";
    EXPECT_EQ(state.cartsPerRespirator, 4);
}

TEST_F(UseOneMTest, OutOfLimitEntriesAreRefusedQuotingTheLimit) {
    struct Case {
        NumericLineEdit* field;
        QString typed;
        std::string message;
    };
    const std::vector<Case> cases = {
        {screen->temperature(), "76", "This entry must be less than or equal to 75 "},
        {screen->atmPressure(), "0.4", "This entry must be greater than or equal to 0.5 "},
        {screen->atmPressure(), "1.6", "This entry must be less than or equal to 1.5 "},
        {screen->numCarts(), "11", "This entry must be less than or equal to 10 "},
        {screen->relHumid(), "0", "This entry must not equal zero "},
    };
    for (const Case& c : cases) {
        messenger.shown.clear();
        leaveWith(c.field, c.typed);
        ASSERT_EQ(messenger.shown.size(), 1u) << c.typed.toStdString();
        EXPECT_EQ(messenger.shown[0], invalid(c.message));
        EXPECT_TRUE(c.field->hasFocus());
        c.field->setText(QStringLiteral("1"));  // a value every one of them accepts
    }
    EXPECT_EQ(state.tempC + state.atmPressure + state.cartsPerRespirator + state.relHumidity, 0.0f);
}

TEST_F(UseOneMTest, ARejectedEntrySwallowsTheClickOnReturn) {
    typeInto(screen->temperature(), QStringLiteral("80"));
    clickThroughWindow(screen->returnButton());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], invalid("This entry must be less than or equal to 75 "));
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(state.atmPressure, 0.0f);
    activate(*screen);
    EXPECT_TRUE(screen->temperature()->hasFocus());
}

TEST_F(UseOneMTest, AnEmptyFieldIsStoredAsZeroOnLeavingAndStopsReturn) {
    leaveWith(screen->breathingAirFlow(), QStringLiteral("   "));
    EXPECT_EQ(screen->breathingAirFlow()->text(), QString()) << "blanks are trimmed away when left";
    EXPECT_EQ(state.airFlow, 0.0f);
    state.airFlow = 7;  // whatever it holds, Return must not store over it
    clickThroughWindow(screen->returnButton());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], (Message{"All fields must be filled with valid values.",
                                           std::string("Note"), MessageButtons::Ok, MessageIcon::None}));
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(state.tempC, 0.0f);
    EXPECT_EQ(state.airFlow, 7.0f);
    activate(*screen);
    EXPECT_TRUE(screen->temperature()->hasFocus());
}

TEST_F(UseOneMTest, EnterFollowsTheFieldOrderToReturnWithoutPressingIt) {
    screen->temperature()->setFocus();
    for (NumericLineEdit* field : {screen->temperature(), screen->atmPressure(), screen->relHumid(),
                                   screen->numCarts(), screen->breathingAirFlow()}) {
        EXPECT_TRUE(field->hasFocus());
        pressEnter(field);
    }
    EXPECT_TRUE(screen->returnButton()->hasFocus());
    EXPECT_TRUE(screen->isVisible());
}

// --- Work-rate presets ---

TEST_F(UseOneMTest, EveryPresetHasTheFlowTheSuggestionsGiveForItsWorkRate) {
    for (const UseOneM::WorkRatePreset& preset : UseOneM::kWorkRatePresets) {
        const QString line = preset.name + QStringLiteral(" work");
        const auto lines = UseOneM::kSuggestions.split(QStringLiteral("\r\n"));
        const auto found = std::find_if(lines.begin(), lines.end(), [&](const QString& l) {
            return l.startsWith(line + ' ') || l.startsWith(line + '\t');
        });
        ASSERT_NE(found, lines.end()) << preset.name.toStdString();
        EXPECT_EQ(found->section('\t', -1).toInt(), preset.airFlow) << preset.name.toStdString();
    }
}

TEST_F(UseOneMTest, PickingAPresetStoresWhatTypingItsFlowStores) {
    leaveWith(screen->breathingAirFlow(), QStringLiteral("55"));
    const float typed = state.airFlow;
    leaveWith(screen->breathingAirFlow(), QStringLiteral("40"));
    ASSERT_NE(state.airFlow, typed);

    screen->workRate()->setFocus();
    const int heavy = screen->workRate()->findData(55);
    ASSERT_GE(heavy, 0);
    emit screen->workRate()->activated(heavy);
    EXPECT_EQ(screen->breathingAirFlow()->text(), QStringLiteral("55"));
    EXPECT_EQ(state.airFlow, typed);
    EXPECT_EQ(screen->workRate()->currentText(), QStringLiteral("Heavy (55 L/min)"));
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(UseOneMTest, TheKeyboardPicksPresetsInTurn) {
    screen->workRate()->setFocus();
    EXPECT_EQ(screen->workRate()->currentText(), QStringLiteral("Moderate (30 L/min)")) << "the default 30";
    QTest::keyClick(screen->workRate(), Qt::Key_Down);
    EXPECT_EQ(screen->breathingAirFlow()->text(), QStringLiteral("55"));
    EXPECT_EQ(state.airFlow, 55.0f);
    QTest::keyClick(screen->workRate(), Qt::Key_Down);
    EXPECT_EQ(state.airFlow, 75.0f);
    QTest::keyClick(screen->workRate(), Qt::Key_Down);
    EXPECT_EQ(screen->workRate()->currentText(), QStringLiteral("Custom"));
    EXPECT_EQ(screen->breathingAirFlow()->text(), QStringLiteral("75")) << "Custom keeps the number";
    EXPECT_EQ(state.airFlow, 75.0f);
}

TEST_F(UseOneMTest, TheWorkRateFollowsTheTypedFlow) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"21", "Light (21 L/min)"},         {"37", "Custom"},  {"30.0", "Moderate (30 L/min)"},
        {"75abc", "Very heavy (75 L/min)"}, {"   ", "Custom"}, {"55.01", "Custom"},
    };
    for (const auto& [typed, shown] : cases) {
        leaveWith(screen->breathingAirFlow(), typed);
        EXPECT_EQ(screen->workRate()->currentText(), shown) << typed.toStdString();
    }
}

TEST_F(UseOneMTest, ARejectedFlowKeepsTheFocusFromTheWorkRate) {
    typeInto(screen->breathingAirFlow(), QStringLiteral("501"));
    clickThroughWindow(screen->workRate());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], invalid("This entry must be less than or equal to 500 "));
    EXPECT_EQ(screen->breathingAirFlow()->text(), QStringLiteral("501"));
    EXPECT_EQ(screen->workRate()->currentText(), QStringLiteral("Custom"));
    activate(*screen);
    EXPECT_TRUE(screen->breathingAirFlow()->hasFocus());
}

TEST_F(UseOneMTest, ClosingTheWindowIsReturn) {
    screen->close();
    EXPECT_FALSE(screen->isVisible());
    EXPECT_TRUE(forms.form(forms::kInputMasterFive).isVisible());
    EXPECT_EQ(state.airFlow, 30.0f);
}

TEST_F(UseOneMTest, EditedTextsArePresentOnTheNextVisit) {
    leaveWith(screen->temperature(), QStringLiteral("31"));
    clickThroughWindow(screen->returnButton());
    forms.ShowForm(forms::kUseOneM);
    EXPECT_EQ(screen->temperature()->text(), QStringLiteral("31"));
}

}  // namespace
}  // namespace quandrelle::testing
