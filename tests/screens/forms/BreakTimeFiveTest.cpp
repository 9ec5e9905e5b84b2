// The results screen: filling it, the Calculate command with its limits window and error box, the
// editing of conditions and concentrations between runs, printing and leaving.

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProgressBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

#include "../../engine/Scenarios.h"
#include "PdfText.h"
#include "ScreenTest.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/fit/CartridgeSource.h"
#include "quandrelle/scenario/ScenarioText.h"
#include "quandrelle/screens/forms/BreakTimeFive.h"
#include "quandrelle/screens/forms/CalculationCommands.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/LimitsMessage.h"
#include "quandrelle/screens/forms/UseOneM.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/screens/output/ReportDialog.h"
#include "quandrelle/validation/NumberReader.h"

namespace quandrelle::testing {
namespace {

Message invalidEntry(const std::string& text) {
    return Message{text, std::string("Invalid Entry"), MessageButtons::Ok, MessageIcon::None};
}

QString shown(const std::string& value) {
    return QString::fromStdString(value);
}

class BreakTimeFiveTest : public ScreenTest {
protected:
    void SetUp() override {
        defineResultsRoad();
        hub = &forms.form<InputMasterFive>(forms::kInputMasterFive);
        use = &forms.form<UseOneM>(forms::kUseOneM);
        screen = &forms.form<BreakTimeFive>(forms::kResults);
        screen->setPrinterCheck([] { return false; });
    }

    // Fills the state with a cartridge, use conditions and the given vapors, then leads on to
    // the results screen as the hub's Continue does.
    void enter(const std::vector<test::VaporInput>& vapors, float relHumidity = 0.5f) {
        state = test::withVapors(test::halfMask(relHumidity), vapors);
        for (int slot = 1; slot <= state.vaporCount; ++slot) {
            nameVapor(slot, shown(state.vapors[slot].chemName));
        }
        screen->ShowInputsOnResults();
        screen->ClearResultsDisplay();
        showAndActivate(forms::kResults);
    }

    void setBreakConcs(const std::vector<QString>& texts) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            screen->vapBkConc(static_cast<int>(i) + 1)->setText(texts[i]);
        }
    }

    // Calculate, and the wait for its run on the worker thread.
    void calculate() {
        screen->cmdCalc()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !screen->runInProgress(); }, 60000));
    }

    QStringList resultTexts() const {
        QStringList texts;
        for (int row = 1; row <= 5; ++row) {
            texts << screen->bkT(row)->text() << screen->bkTMin(row)->text() << screen->bkTMax(row)->text();
        }
        return texts;
    }

    // Types into a field and leaves it with Tab, as the user would.
    void typeAndTab(QWidget* field, const QString& text) {
        typeInto(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }

    InputMasterFive* hub = nullptr;
    UseOneM* use = nullptr;
    BreakTimeFive* screen = nullptr;
};

// --- Layout ---

TEST_F(BreakTimeFiveTest, CaptionsHeadingsAndAccessibleNamesAreExact) {
    enter({test::kBenzene});
    EXPECT_EQ(screen->windowTitle(), "Vapor Mixture Breakthrough Results");
    EXPECT_EQ(screen->cmdCalc()->text(), "  Calculate    Results");
    EXPECT_EQ(screen->cmdData()->text(), "   Return to  Data Inputs");
    EXPECT_EQ(screen->cmdExit()->text(), "      Exit        Program");
    EXPECT_EQ(screen->cmdPrint()->text(), "Print this Window");

    QStringList labels;
    for (const QLabel* label : screen->findChildren<QLabel*>()) {
        labels << label->text();
    }
    for (const char* caption :
         {"Organic Vapor Cartridge", "Organic Vapors", "Vapor #1", "Vapor #5", "Vapor Concentrations (ppm)",
          "Breakthrough Concentrations (ppm)", "Calculated Results",
          "   Breakthrough Times (min)    \n                               Range\nEstimated       Min        "
          "  Max",
          "Temperature (oC)", "Atmospheric Pressure (atm)", "Use Relative Humidity (%)",
          "Average Air Flow (L/min)", "Equivalent Conc Vapor#1 (mg/m3)"}) {
        EXPECT_TRUE(labels.contains(QString::fromUtf8(caption))) << caption;
    }
    EXPECT_EQ(screen->vapConc(2)->accessibleName(), "Vapor Concentrations (ppm) 2");
    EXPECT_EQ(screen->vapBkConc(5)->accessibleName(), "Breakthrough Concentrations (ppm) 5");
    EXPECT_EQ(screen->vapNm(3)->accessibleName(), "Organic Vapors 3: None Selected");
    EXPECT_EQ(screen->bkTMax(4)->accessibleName(), "Breakthrough Times (min) Max 4");
    EXPECT_EQ(screen->eqConc()->accessibleName(), "Equivalent Conc Vapor#1 (mg/m3)");
}

QString accessibleText(QWidget* widget, QAccessible::Text which) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible == nullptr ? QString() : accessible->text(which);
}

// A screen reader must announce every value shown, not only the caption of its place, and the
// announcement must follow the value through the next run.
TEST_F(BreakTimeFiveTest, EveryValueShownIsReadableThroughAccessibility) {
    enter({test::kBenzene, test::kToluene});
    setBreakConcs({"10", "10"});
    calculate();
    for (int row = 1; row <= 2; ++row) {
        for (QLabel* label :
             {screen->vapNm(row), screen->bkT(row), screen->bkTMin(row), screen->bkTMax(row)}) {
            ASSERT_FALSE(label->text().isEmpty());
            EXPECT_TRUE(accessibleText(label, QAccessible::Name).contains(label->text()))
                << accessibleText(label, QAccessible::Name).toStdString();
        }
        EXPECT_EQ(accessibleText(screen->vapConc(row), QAccessible::Value), screen->vapConc(row)->text());
    }
    EXPECT_EQ(accessibleText(screen->bkTMax(3), QAccessible::Name), "Breakthrough Times (min) Max 3");
    EXPECT_EQ(accessibleText(screen->eqConc(), QAccessible::Value), screen->eqConc()->text());
    EXPECT_EQ(accessibleText(hub->vaporLabel(1), QAccessible::Name),
              "Current: Organic Vapor #1: " + screen->vapNm(1)->text());

    const QString before = screen->bkT(1)->text();
    typeAndTab(screen->vapBkConc(1), QStringLiteral("2"));
    calculate();
    ASSERT_NE(screen->bkT(1)->text(), before);
    EXPECT_TRUE(accessibleText(screen->bkT(1), QAccessible::Name).endsWith(": " + screen->bkT(1)->text()));
}

TEST_F(BreakTimeFiveTest, TheKeyboardReachesEveryControl) {
    enter({test::kBenzene});
    setBreakConcs({"10"});
    std::set<QWidget*> expected{screen->temperature(),
                                screen->atmPressure(),
                                screen->relHumid(),
                                screen->airFlowVol(),
                                screen->eqConc(),
                                screen->cmdCalc(),
                                screen->cmdData(),
                                screen->cmdPrint(),
                                screen->cmdExit(),
                                screen->cartName(),
                                screen->cmdSchedule(),
                                screen->files()->openButton(),
                                screen->files()->saveButton(),
                                screen->files()->recentButton()};
    for (int row = 1; row <= 5; ++row) {
        expected.insert(screen->vapConc(row));
        expected.insert(screen->vapBkConc(row));
        expected.insert(screen->vapConcMass(row));
    }
    screen->vapConc(1)->setFocus();
    std::set<QWidget*> visited;
    for (std::size_t i = 0; i < expected.size() * 2; ++i) {
        visited.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited, expected);
    // The controls added later follow those of old, the mg/m3 column last.
    screen->files()->recentButton()->setFocus();
    QTest::keyClick(screen->files()->recentButton(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), screen->vapConcMass(1));
    EXPECT_TRUE(messenger.shown.empty());
}

// --- Filling the screen ---

TEST_F(BreakTimeFiveTest, InputsAreShownInTheirDisplayFormats) {
    state = test::withVapors(test::halfMask(0.05f), {test::kBenzene});
    state.tempC = 25;
    state.faceVelocity = 0;
    screen->ShowInputsOnResults();
    EXPECT_EQ(screen->eqConc()->text(), "319.3");
    EXPECT_EQ(screen->vapConc(1)->text(), "100");
    EXPECT_EQ(screen->atmPressure()->text(), "1.00");
    EXPECT_EQ(screen->relHumid()->text(), "05");
    EXPECT_EQ(screen->temperature()->text(), "25");
    EXPECT_EQ(screen->airFlowVol()->text(), "30");
    EXPECT_EQ(screen->cartName()->text(), "Half-mask OV");
    EXPECT_EQ(screen->vapNm(1)->text(), "Benzene");
    EXPECT_EQ(screen->vapNm(2)->text(), "None Selected");
    EXPECT_GT(state.faceVelocity, 0);
}

TEST_F(BreakTimeFiveTest, FreeRowsAreEmptiedWhenTheScreenIsFilled) {
    screen->vapConc(2)->setText("55");
    screen->vapBkConc(2)->setText("5");
    screen->vapBkConc(1)->setText("7");
    enter({test::kBenzene});
    EXPECT_EQ(screen->vapConc(2)->text(), "");
    EXPECT_EQ(screen->vapBkConc(2)->text(), "");
    // A row in use keeps the breakthrough concentration typed before.
    EXPECT_EQ(screen->vapBkConc(1)->text(), "7");
}

TEST_F(BreakTimeFiveTest, EveryConcentrationIsShownInMgPerCubicMetreByTheVaporOneFormula) {
    enter({test::kBenzene, test::kToluene});
    EXPECT_EQ(screen->vapConcMass(1)->text(), screen->eqConc()->text());
    EXPECT_EQ(screen->vapConcMass(2)->text(),
              shown(massConcentrationText(equivalentConcentration(state, 2))));
    EXPECT_EQ(screen->vapConcMass(3)->text(), "");
    EXPECT_FALSE(screen->vapConcMass(2)->isReadOnly()) << "a concentration may be typed in mg/m³";
    EXPECT_EQ(screen->vapConcMass(2)->accessibleName(), "Vapor Concentrations (ppm) in mg/m³ 2");

    // Toluene moved to slot 1 gives the number vapor #1's own formula gives.
    CalcState swapped = state;
    std::swap(swapped.vapors[1], swapped.vapors[2]);
    EXPECT_EQ(screen->vapConcMass(2)->text(), shown(massConcentrationText(equivalentConcentration(swapped))));
}

TEST_F(BreakTimeFiveTest, MgPerCubicMetreFollowsConcentrationTemperatureAndPressure) {
    enter({test::kBenzene, test::kToluene});
    const QString before = screen->vapConcMass(2)->text();
    typeAndTab(screen->vapConc(2), "200");
    const QString doubled = screen->vapConcMass(2)->text();
    EXPECT_EQ(doubled, shown(massConcentrationText(equivalentConcentration(state, 2))));
    EXPECT_NE(doubled, before);
    typeAndTab(screen->temperature(), "40");
    EXPECT_EQ(screen->vapConcMass(2)->text(),
              shown(massConcentrationText(equivalentConcentration(state, 2))));
    EXPECT_NE(screen->vapConcMass(2)->text(), doubled);
    typeAndTab(screen->atmPressure(), "0.8");
    EXPECT_EQ(screen->vapConcMass(1)->text(),
              shown(massConcentrationText(equivalentConcentration(state, 1))));
    // An out-of-range concentration is kept, and so is its mg/m3.
    typeAndTab(screen->vapConc(2), "150000");
    EXPECT_EQ(screen->vapConcMass(2)->text(),
              shown(massConcentrationText(equivalentConcentration(state, 2))));
    messenger.shown.clear();
    // Typing a mass concentration for vapor #1 changes its ppm, and its row follows.
    typeInto(screen->eqConc(), "1000");
    pressEnter(screen->eqConc());
    EXPECT_EQ(screen->vapConcMass(1)->text(),
              shown(massConcentrationText(equivalentConcentration(state, 1))));
}

// --- Calculate on its worker thread ---

// A trace of toluene that the cartridge holds beyond the simulated service: a run of a million
// time steps, long enough to be caught under way.
TEST_F(BreakTimeFiveTest, ARunUnderWayAllowsNoSecondCalculateAndCancelLeavesTheScreenAsItWas) {
    test::VaporInput trace = test::kToluene;
    trace.concentration = 0.05f;
    trace.breakConc = 0.005;
    enter({trace});
    setBreakConcs({"0.005"});
    screen->cmdCalc()->click();
    ASSERT_TRUE(screen->runInProgress());
    EXPECT_FALSE(screen->cmdCalc()->isEnabled());
    EXPECT_FALSE(screen->vapConc(1)->isEnabled());
    EXPECT_TRUE(screen->runProgress()->isVisible());
    EXPECT_TRUE(screen->cmdCancel()->isVisible());
    screen->cmdCancel()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !screen->runInProgress(); }, 2000));
    EXPECT_TRUE(screen->bkT(1)->text().isEmpty());
    EXPECT_EQ(state.breakTimeResult[1], 0);
    EXPECT_EQ(state.vapors[1].chemName, "Toluene");
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_TRUE(screen->cmdCalc()->isEnabled());
    EXPECT_TRUE(screen->vapConc(1)->isEnabled());
    EXPECT_FALSE(screen->cmdCancel()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// --- Calculate: the limits check ---

TEST_F(BreakTimeFiveTest, AFractionOfExactlyOneHalfIsCalculated) {
    enter({test::kBenzene});
    setBreakConcs({"50"});
    calculate();
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(screen->bkT(1)->text(), shown(formatNumber(state.breakTimeResult[1], "#.#")));
    EXPECT_FALSE(screen->bkT(1)->text().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The run's cautions stand in the notes line, and a screen reader reads them with its name.
    const QString caution = QStringLiteral("Breakthrough time above 8 hours (Benzene)");
    EXPECT_TRUE(screen->runNotes()->text().startsWith(caution));
    EXPECT_TRUE(screen->runNotes()->isVisible());
    EXPECT_TRUE(screen->runNotes()->accessibleName().contains(caution));
    // A cleared display hides the notes of the run it no longer shows.
    screen->ClearResultsDisplay();
    EXPECT_TRUE(screen->runNotes()->text().isEmpty());
    EXPECT_FALSE(screen->runNotes()->isVisible());
    EXPECT_EQ(screen->runNotes()->accessibleName(), "Notes on the results");
}

TEST_F(BreakTimeFiveTest, AFractionAboveOneHalfOpensTheLimitsWindowAndChangesNothing) {
    enter({test::kBenzene, test::kToluene});
    setBreakConcs({"10", "50.001"});
    screen->temperature()->setText("31");
    const CalcState before = state;
    calculate();
    auto& limitsWindow = forms.form<LimitsMessage>(forms::kLimitsMessage);
    EXPECT_TRUE(limitsWindow.isVisible());
    EXPECT_EQ(limitsWindow.windowTitle(), "Out of Limits Message");
    EXPECT_EQ(limitsWindow.messageLabel()->text(),
              "This model is not valid for breakthrough fractions above 0.5 or at zero or below. Please "
              "select breakthrough concentrations within these limits.");
    EXPECT_FALSE(screen->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(state.tempK, before.tempK);
    EXPECT_EQ(state.mixCount, before.mixCount);

    limitsWindow.returnButton()->click();
    EXPECT_FALSE(limitsWindow.isVisible());
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(screen->vapBkConc(2)->text(), "50.001");
    EXPECT_EQ(screen->temperature()->text(), "31");
}

TEST_F(BreakTimeFiveTest, ClosingTheLimitsWindowAnyWayBringsTheResultsBack) {
    enter({test::kBenzene});
    setBreakConcs({"60"});
    calculate();
    auto& limitsWindow = forms.form<LimitsMessage>(forms::kLimitsMessage);
    ASSERT_TRUE(limitsWindow.isVisible());
    limitsWindow.close();
    EXPECT_FALSE(limitsWindow.isVisible());
    EXPECT_TRUE(screen->isVisible());

    calculate();
    ASSERT_TRUE(limitsWindow.isVisible());
    activate(limitsWindow);
    QTest::keyClick(&limitsWindow, Qt::Key_Escape);
    EXPECT_TRUE(screen->isVisible());
}

TEST_F(BreakTimeFiveTest, EmptyOrZeroFieldsOfAnyRowOfTheMixtureAreRefused) {
    enter({test::kBenzene, test::kToluene});
    auto& limitsWindow = forms.form<LimitsMessage>(forms::kLimitsMessage);
    const std::vector<std::pair<QString, std::vector<QString>>> cases = {
        {"empty breakthrough", {"10", ""}},
        {"zero breakthrough", {"0", "10"}},
        {"text breakthrough", {"10", "abc"}},
    };
    for (const auto& [label, texts] : cases) {
        setBreakConcs(texts);
        calculate();
        EXPECT_TRUE(limitsWindow.isVisible()) << label.toStdString();
        limitsWindow.returnButton()->click();
    }
    setBreakConcs({"10", "10"});
    for (const QString& concentration : {QString(), QStringLiteral("0")}) {
        screen->vapConc(2)->setText(concentration);
        calculate();
        EXPECT_TRUE(limitsWindow.isVisible()) << concentration.toStdString();
        limitsWindow.returnButton()->click();
    }
    EXPECT_TRUE(resultTexts().join("").isEmpty());
}

// --- Calculate: a mixture run ---

TEST_F(BreakTimeFiveTest, AMixtureRunReordersTheRowsOnBothScreens) {
    enter({test::kToluene, test::kBenzene, test::kAcetone});
    // Typed as the user does, each stored into its vapor as the field is left.
    for (int row = 1; row <= 3; ++row) {
        typeAndTab(screen->vapBkConc(row), QStringList{"10", "7", "20"}[row - 1]);
    }
    screen->vapConc(2)->setText("150");  // benzene, typed but never entered: the check reads the screen
    // Results a free slot still holds from elsewhere belong to no vapor.
    state.breakTimeResult[4] = 12;
    calculate();
    ASSERT_TRUE(messenger.shown.empty());

    // Acetone holds least in the mixture and comes first; each row keeps its own numbers.
    EXPECT_EQ(screen->vapNm(1)->text(), "Acetone");
    EXPECT_EQ(screen->vapConc(1)->text(), "200");
    EXPECT_EQ(screen->vapBkConc(1)->text(), "20");
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(hub->vaporCaption(row), screen->vapNm(row)->text());
        EXPECT_EQ(screen->bkT(row)->text(), shown(formatNumber(state.breakTimeResult[row], "#.#")));
        EXPECT_EQ(screen->bkTMin(row)->text(), shown(formatNumber(state.breakTimeMin[row], "0")));
        EXPECT_EQ(screen->bkTMax(row)->text(), shown(formatNumber(state.breakTimeMax[row], "0")));
        EXPECT_FALSE(screen->bkT(row)->text().isEmpty());
    }
    const QStringList names{screen->vapNm(1)->text(), screen->vapNm(2)->text(), screen->vapNm(3)->text()};
    EXPECT_TRUE(names.contains("Toluene") && names.contains("Benzene"));
    for (int row = 2; row <= 3; ++row) {
        if (screen->vapNm(row)->text() == "Benzene") {
            EXPECT_EQ(screen->vapConc(row)->text(), "100");  // the state's value, shown again
            EXPECT_EQ(screen->vapBkConc(row)->text(), "7");
        } else {
            EXPECT_EQ(screen->vapConc(row)->text(), "100");
            EXPECT_EQ(screen->vapBkConc(row)->text(), "10");
        }
    }
    for (int row = 4; row <= 5; ++row) {
        EXPECT_EQ(screen->vapNm(row)->text(), "None Selected");
        EXPECT_EQ(hub->vaporCaption(row), "None Selected");
        EXPECT_EQ(screen->vapConc(row)->text(), "");
        EXPECT_EQ(screen->vapBkConc(row)->text(), "");
        EXPECT_EQ(screen->bkT(row)->text(), "");
        EXPECT_EQ(screen->vapConcMass(row)->text(), "");
    }
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(screen->vapConcMass(row)->text(),
                  shown(massConcentrationText(equivalentConcentration(state, row))))
            << "the mass concentration moves with its vapor";
    }
    EXPECT_EQ(screen->eqConc()->text(), screen->vapConcMass(1)->text())
        << "the equivalent concentration is the one of the vapor now first";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    for (int row = 1; row <= 3; ++row) {
        const QLineEdit* mass = screen->vapConcMass(row);
        EXPECT_LE(mass->fontMetrics().horizontalAdvance(mass->text()) + 8, mass->width())
            << "a mass concentration cut off at the left reads as a smaller one";
    }
    QCoreApplication::processEvents();
    for (const QLabel* label : screen->findChildren<QLabel*>()) {
        if (label->wordWrap() && label->isVisible()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                << label->text().toStdString() << ": the notes of a run squeeze no heading";
        }
    }

    saveScreenshotIfAsked(*screen, "QUANDRELLE_RESULTS_SCREENSHOT");

    // The next run checks the rows in their new order: acetone's limit is now row 1's.
    screen->vapBkConc(1)->setText("101");
    calculate();
    EXPECT_TRUE(forms.form<LimitsMessage>(forms::kLimitsMessage).isVisible());
}

TEST_F(BreakTimeFiveTest, AnArithmeticFailureIsReportedAndLeavesTheResultsEmpty) {
    enter({test::kBenzene, test::kToluene});
    setBreakConcs({"10", "10"});
    calculate();
    ASSERT_FALSE(screen->bkT(1)->text().isEmpty());
    // Toluene now sits in row 2 or 1; break whichever vapor is in slot 2.
    state.vapors[2].antoineA = 1000;
    state.vapors[2].molVolume = 106.29f;
    const QString before = screen->vapNm(2)->text();
    calculate();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0],
              (Message{"Arithmetic Overflow.\nPlease check your values.\nMolecular Volume: 106.29",
                       std::string("Error"), MessageButtons::Ok, MessageIcon::Critical}));
    EXPECT_TRUE(resultTexts().join("").isEmpty());
    EXPECT_EQ(screen->vapNm(2)->text(), before);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(program.endCount, 0);
}

TEST_F(BreakTimeFiveTest, AConcentrationTooLargeToReadIsReportedNotCrashed) {
    enter({test::kBenzene});
    setBreakConcs({"10"});
    screen->vapConc(1)->setText("1e400");
    calculate();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].title, std::optional<std::string>("Error"));
    EXPECT_EQ(messenger.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// --- Editing the use conditions ---

TEST_F(BreakTimeFiveTest, UseConditionEditsAreCheckedStoredAndFollowedByTheUseConditionsScreen) {
    enter({test::kBenzene});
    setBreakConcs({"10"});
    calculate();
    const QStringList results = resultTexts();

    typeInto(screen->temperature(), "75");
    pressEnter(screen->temperature());
    EXPECT_EQ(state.tempC, 75.0f);
    EXPECT_EQ(use->temperature()->text(), "75");
    EXPECT_EQ(screen->eqConc()->text(), shown(generalText(roundHalfEven(equivalentConcentration(state), 2))));
    EXPECT_EQ(QApplication::focusWidget(), screen->temperature());  // Enter keeps the focus here

    typeInto(screen->temperature(), "76");
    pressEnter(screen->temperature());
    EXPECT_EQ(state.tempC, 75.0f);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], invalidEntry("This entry must be less than or equal to 75 "));
    // A rejected entry holds the focus against Tab.
    activate(*screen);
    screen->temperature()->setFocus();
    QTest::keyClick(screen->temperature(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), screen->temperature());
    messenger.shown.clear();

    typeAndTab(screen->temperature(), "30");
    EXPECT_EQ(state.tempC, 30.0f);
    EXPECT_EQ(use->temperature()->text(), "30");

    typeInto(screen->atmPressure(), "0.4");
    pressEnter(screen->atmPressure());
    EXPECT_EQ(messenger.shown.back(), invalidEntry("This entry must be greater than or equal to 0.5 "));
    activate(*screen);
    typeInto(screen->atmPressure(), "1.5");
    pressEnter(screen->atmPressure());
    EXPECT_EQ(state.atmPressure, 1.5f);
    EXPECT_EQ(use->atmPressure()->text(), "1.5");

    typeInto(screen->relHumid(), "100");
    pressEnter(screen->relHumid());
    EXPECT_EQ(messenger.shown.back(), invalidEntry("This entry must be less than or equal to 99 "));
    activate(*screen);
    typeInto(screen->relHumid(), "50");
    pressEnter(screen->relHumid());
    EXPECT_EQ(state.relHumidity, 0.5f);
    EXPECT_EQ(use->relHumid()->text(), "50");

    typeInto(screen->airFlowVol(), "501");
    pressEnter(screen->airFlowVol());
    EXPECT_EQ(messenger.shown.back(), invalidEntry("This entry must be less than or equal to 500 "));
    activate(*screen);
    typeInto(screen->airFlowVol(), "0");
    pressEnter(screen->airFlowVol());
    EXPECT_EQ(messenger.shown.back(), invalidEntry("This entry must not equal zero "));
    activate(*screen);
    typeInto(screen->airFlowVol(), "500");
    pressEnter(screen->airFlowVol());
    EXPECT_EQ(state.airFlow, 500.0f);
    EXPECT_EQ(use->breathingAirFlow()->text(), "500");

    EXPECT_EQ(resultTexts(), results);
}

TEST_F(BreakTimeFiveTest, AnEntryThatIsNotANumberIsEmptiedAndStoresZero) {
    enter({test::kBenzene});
    typeAndTab(screen->relHumid(), "abc");
    EXPECT_EQ(screen->relHumid()->text(), "");
    EXPECT_EQ(state.relHumidity, 0.0f);
    EXPECT_EQ(use->relHumid()->text(), "");
    EXPECT_TRUE(messenger.shown.empty());
}

// --- Editing the concentrations ---

TEST_F(BreakTimeFiveTest, ConcentrationEditsSetTheFractionAndOutOfRangeValuesAreStoredAnyway) {
    enter({test::kBenzene, test::kToluene});
    setBreakConcs({"10", "10"});
    calculate();
    const QStringList results = resultTexts();
    const int tolueneRow = screen->vapNm(1)->text() == "Toluene" ? 1 : 2;
    const int benzeneRow = 3 - tolueneRow;

    typeInto(screen->vapConc(tolueneRow), "200");
    pressEnter(screen->vapConc(tolueneRow));
    EXPECT_EQ(state.vapors[tolueneRow].avgConc, 200.0f);
    EXPECT_DOUBLE_EQ(state.breakFraction[tolueneRow], 0.05);
    EXPECT_TRUE(messenger.shown.empty());

    typeInto(screen->vapConc(benzeneRow), "150000");
    pressEnter(screen->vapConc(benzeneRow));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], invalidEntry("This entry must be less than or equal to 100,000 "));
    EXPECT_EQ(state.vapors[benzeneRow].avgConc, 150000.0f);
    EXPECT_DOUBLE_EQ(state.breakFraction[benzeneRow], 10.0 / 150000);
    // Leaving the field checks it again, and does not hold the focus.
    activate(*screen);
    screen->vapConc(benzeneRow)->setFocus();
    QTest::keyClick(screen->vapConc(benzeneRow), Qt::Key_Tab);
    EXPECT_EQ(messenger.shown.size(), 2u);
    EXPECT_NE(QApplication::focusWidget(), screen->vapConc(benzeneRow));

    EXPECT_EQ(resultTexts(), results);
}

TEST_F(BreakTimeFiveTest, BreakthroughConcentrationEdits) {
    enter({test::kBenzene, test::kToluene, test::kAcetone});
    setBreakConcs({"10", "10", "10"});
    calculate();
    const QStringList results = resultTexts();

    typeAndTab(screen->vapBkConc(3), "-5");
    EXPECT_EQ(state.breakConc[3], -5);
    EXPECT_EQ(screen->vapBkConc(3)->text(), "");
    EXPECT_DOUBLE_EQ(state.breakFraction[3], -5.0 / state.vapors[3].avgConc);

    typeAndTab(screen->vapBkConc(2), ".");
    EXPECT_EQ(screen->vapBkConc(2)->text(), "");
    EXPECT_EQ(state.breakConc[2], 10);

    // Enter moves to Calculate without starting a run, storing the entry on the way.
    typeInto(screen->vapBkConc(1), "4");
    pressEnter(screen->vapBkConc(1));
    EXPECT_EQ(QApplication::focusWidget(), screen->cmdCalc());
    EXPECT_EQ(state.breakConc[1], 4);
    EXPECT_EQ(resultTexts(), results);
    EXPECT_TRUE(messenger.shown.empty());

    // The emptied row 3 now stops the next run at the limits window.
    calculate();
    EXPECT_TRUE(forms.form<LimitsMessage>(forms::kLimitsMessage).isVisible());
}

TEST_F(BreakTimeFiveTest, AnEquivalentConcentrationSetsVaporOnesConcentration) {
    enter({test::kBenzene});
    state.tempC = 25;
    state.breakConc[1] = 10;
    typeInto(screen->eqConc(), "319.3");
    pressEnter(screen->eqConc());
    EXPECT_NEAR(state.vapors[1].avgConc, 100.0013, 5e-5);
    EXPECT_EQ(screen->vapConc(1)->text(), "100.0013");
    EXPECT_DOUBLE_EQ(state.breakFraction[1], 10.0 / state.vapors[1].avgConc);
    EXPECT_EQ(screen->eqConc()->text(), "319.3");  // left as typed
}

TEST_F(BreakTimeFiveTest, PassingThroughTheEquivalentConcentrationChangesNoConcentration) {
    test::VaporInput trace = test::kBenzene;
    trace.concentration = 0.01f;
    enter({trace});
    ASSERT_EQ(screen->eqConc()->text(), "0.03");
    screen->eqConc()->setFocus();
    QTest::keyClick(screen->eqConc(), Qt::Key_Tab);
    EXPECT_EQ(state.vapors[1].avgConc, 0.01f);
    EXPECT_EQ(screen->vapConc(1)->text(), "0.01");

    // Enter takes the shown value as entered.
    screen->eqConc()->setFocus();
    pressEnter(screen->eqConc());
    EXPECT_NE(state.vapors[1].avgConc, 0.01f);
}

// The ppm shown after a typed mg/m³, typed in turn, gives the same state to the bit and the same run.
TEST_F(BreakTimeFiveTest, MgPerCubicMetreTypedGivesTheStateAndTheRunOfItsPpmTyped) {
    const auto runWith = [&](QLineEdit* field, const QString& text) {
        enter({test::kBenzene, test::kToluene});
        setBreakConcs({"10", "10"});
        typeInto(field, text);
        pressEnter(field);
        const CalcState entered = state;
        const QString ppm = screen->vapConc(2)->text();
        calculate();
        return std::tuple{entered, ppm, resultTexts()};
    };
    const auto [viaMass, ppm, massResults] = runWith(screen->vapConcMass(2), "500");
    const auto [viaPpm, unchanged, ppmResults] = runWith(screen->vapConc(2), ppm);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(viaMass.vapors[2].avgConc),
              std::bit_cast<std::uint32_t>(viaPpm.vapors[2].avgConc));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(viaMass.breakFraction[2]),
              std::bit_cast<std::uint64_t>(viaPpm.breakFraction[2]));
    EXPECT_EQ(massResults, ppmResults);
    EXPECT_TRUE(messenger.shown.empty());
}

// Checked as its ppm, kept when positive like an out-of-range ppm; a free row has no molecular
// weight to convert with.
TEST_F(BreakTimeFiveTest, AMassConcentrationIsCheckedAsItsPpmAndAFreeRowRefusesIt) {
    enter({test::kBenzene});
    typeInto(screen->vapConcMass(1), "1e6");
    pressEnter(screen->vapConcMass(1));
    EXPECT_EQ(messenger.shown.at(0), invalidEntry("This entry must be less than or equal to 100,000 "));
    EXPECT_EQ(state.vapors[1].avgConc, toSingle(readNumber(screen->vapConc(1)->text().toStdString())));
    activate(*screen);
    typeAndTab(screen->vapConcMass(2), "100");
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[1].title, std::optional<std::string>("Note"));
    EXPECT_EQ(screen->vapConc(2)->text(), "");
    EXPECT_EQ(state.vapors[2].avgConc, 0.0f);
}

// A fraction needs a concentration to divide by: where there is none, the fraction stays as it was
// and nothing fails.
TEST_F(BreakTimeFiveTest, EditsWithoutAConcentrationLeaveTheFractionUnchanged) {
    enter({test::kBenzene, test::kToluene});
    state.breakFraction[2] = 0.25;
    state.vapors[2].avgConc = 0;
    typeAndTab(screen->vapBkConc(2), "10");
    EXPECT_EQ(state.breakConc[2], 10);
    EXPECT_EQ(state.breakFraction[2], 0.25);

    state.breakFraction[1] = 0.125;
    typeInto(screen->eqConc(), "");
    QTest::keyClick(screen->eqConc(), Qt::Key_Backspace);
    QTest::keyClick(screen->eqConc(), Qt::Key_Tab);
    EXPECT_EQ(state.vapors[1].avgConc, 0.0f);
    EXPECT_EQ(screen->vapConc(1)->text(), "0");
    EXPECT_EQ(state.breakFraction[1], 0.125);

    state.vapors[1].avgConc = 100;
    state.vapors[1].molWt = 0;
    typeAndTab(screen->eqConc(), "319.3");
    EXPECT_EQ(state.vapors[1].avgConc, 100.0f);
    EXPECT_EQ(state.breakFraction[1], 0.125);
    EXPECT_TRUE(messenger.shown.empty());
}

// --- Return, exit, print ---

TEST_F(BreakTimeFiveTest, ReturnToDataInputsShowsTheHubAndKeepsEverything) {
    enter({test::kBenzene});
    setBreakConcs({"10"});
    calculate();
    screen->cmdData()->click();
    EXPECT_TRUE(hub->isVisible());
    EXPECT_FALSE(screen->isVisible());
    EXPECT_FALSE(screen->bkT(1)->text().isEmpty());
}

TEST_F(BreakTimeFiveTest, TheHubsContinueFillsAndShowsThisScreen) {
    nameCartridge("Half-mask OV");
    state = test::withVapors(test::halfMask(), {test::kBenzene});
    nameVapor(1, "Benzene");
    screen->bkT(1)->setText("99.");
    showAndActivate(forms::kInputMasterFive);
    hub->continueButton()->click();
    EXPECT_TRUE(screen->isVisible());
    EXPECT_FALSE(hub->isVisible());
    EXPECT_EQ(screen->vapNm(1)->text(), "Benzene");
    EXPECT_EQ(screen->bkT(1)->text(), "");
    EXPECT_EQ(screen->focusWidget(), screen->vapBkConc(1));
}

TEST_F(BreakTimeFiveTest, ExitAndClosingAskBeforeEnding) {
    enter({test::kBenzene});
    const Message question{"Are you sure you want to quit?", std::string(), MessageButtons::YesNo,
                           MessageIcon::None};
    // Nothing to save: the question about unsaved changes has tests of its own.
    document.markSaved(QString());
    messenger.answer(MessageAnswer::No);
    screen->cmdExit()->click();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], question);
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(screen->focusWidget(), screen->cmdCalc());
    EXPECT_EQ(program.endCount, 0);

    messenger.answer(MessageAnswer::No);
    screen->close();
    EXPECT_EQ(messenger.shown.size(), 2u);
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(screen->focusWidget(), screen->cmdCalc());

    messenger.answer(MessageAnswer::Yes);
    screen->close();
    EXPECT_EQ(program.endCount, 1);
    EXPECT_EQ(messenger.shown.size(), 3u);
    EXPECT_EQ(messenger.unscripted, 0);
}

// Two vapors that a run puts in the other order (Diethylamine breaks through first).
constexpr const char* kRunSortingTheRows =
    R"({"cartridge":{"bedDepth":3.413,"bedDiameter":9.772,"benzenePotential":19.85,"carbonWeight":113.2,)"
    R"("granuleDiameter":0.1495,"microporeVolume":0.5383,"name":"Generated OV cartridge","precondRH":36.0,)"
    R"("waterAffinity":0.04292},"conditions":{"airFlow":49.0,"cartridges":2,"pressure":0.9662,)"
    R"("relHumidity":42.0,"temperature":42.99},"vapors":[{"antoineA":16.91781,"antoineB":3607.08,)"
    R"("antoineC":-106.02,"breakConc":0.1129,"concentration":1.11,"liqDensity":0.836,"molPolariz":40.241,)"
    R"("molWt":130.2279,"name":"2-Ethylhexanol","waterSolFactor":0.00105},{"antoineA":16.62202,)"
    R"("antoineB":2923.102,"antoineC":-36.224,"breakConc":62.97,"concentration":179.2,"liqDensity":0.707,)"
    R"("molPolariz":24.321,"molWt":73.1368,"name":"Diethylamine","waterSolFactor":1.0}]})";

// The rows keep showing the vapors in the order they were entered; so must the state, or the next
// edit of a row would change another vapor than the one it shows.
TEST_F(BreakTimeFiveTest, AFailedRunLeavesTheVaporsInTheOrderTheRowsShow) {
    calc::Scenario scenario;
    ASSERT_TRUE(calc::readScenarioText(kRunSortingTheRows, scenario).empty());
    state = scenario.state;
    state.bedDepth = 0;  // a bed of no depth: the run fails
    for (int slot = 1; slot <= state.vaporCount; ++slot) {
        nameVapor(slot, shown(state.vapors[slot].chemName));
    }
    screen->ShowInputsOnResults();
    screen->ClearResultsDisplay();
    showAndActivate(forms::kResults);
    setBreakConcs({"0.1129", "62.97"});
    calculate();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].title, "Error");
    EXPECT_EQ(screen->vapNm(1)->text(), "2-Ethylhexanol");
    EXPECT_EQ(state.vapors[1].chemName, "2-Ethylhexanol");

    typeInto(screen->vapConc(1), "2.5");
    pressEnter(screen->vapConc(1));
    EXPECT_EQ(state.vapors[1].chemName, "2-Ethylhexanol");
    EXPECT_EQ(state.vapors[1].avgConc, 2.5f);
    EXPECT_EQ(state.vapors[2].avgConc, 179.2f) << "Diethylamine keeps its concentration";
}

TEST_F(BreakTimeFiveTest, ClosingWhileTheProgramEndsAsksNothing) {
    enter({test::kBenzene});
    program.endCount = 1;
    screen->close();
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_FALSE(screen->isVisible());
}

TEST_F(BreakTimeFiveTest, WithoutAPrinterTheWindowCanBeSavedAsAPdfPage) {
    enter({test::kToluene, test::kBenzene, test::kAcetone});
    setBreakConcs({"10", "5", "20"});
    calculate();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    // Declining the offer asks for no file.
    messenger.answer(MessageAnswer::No);
    screen->cmdPrint()->click();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text,
              "No printer is available. Do you want to save an image of this window as a PDF file instead?");
    EXPECT_TRUE(dialogs.fileCaptions.empty());

    // A file name without a suffix gets ".pdf".
    messenger.answer(MessageAnswer::Yes);
    dialogs.scriptFileName(folder.filePath("results"));
    screen->cmdPrint()->click();
    ASSERT_EQ(dialogs.fileCaptions.size(), 1u);
    const QString pdf = folder.filePath("results.pdf");
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));
    EXPECT_EQ(messenger.shown.size(), 2u);

    // The page holds the window's image: its inked area has the window's proportions.
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty()) {
        GTEST_SKIP() << "pdftoppm is not installed; the page was not rendered";
    }
    ASSERT_EQ(QProcess::execute(pdftoppm, {"-png", "-r", "50", "-singlefile", pdf, folder.filePath("page")}),
              0);
    const QImage page(folder.filePath("page.png"));
    ASSERT_FALSE(page.isNull());
    QRect inked;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) < 250) {
                inked |= QRect(x, y, 1, 1);
            }
        }
    }
    ASSERT_FALSE(inked.isEmpty());
    const double windowRatio = double(screen->width()) / screen->height();
    EXPECT_NEAR(double(inked.width()) / inked.height(), windowRatio, 0.05 * windowRatio);
}

TEST_F(BreakTimeFiveTest, AFileThatCannotBeWrittenIsReported) {
    enter({test::kBenzene});
    messenger.answer(MessageAnswer::Yes);
    dialogs.scriptFileName("/nonexistent-folder/results.pdf");
    screen->cmdPrint()->click();
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[1], (Message{"The file /nonexistent-folder/results.pdf could not be written.",
                                           std::string("Note"), MessageButtons::Ok, MessageIcon::None}));

    // Cancelling the file dialog writes nothing and says nothing more.
    messenger.answer(MessageAnswer::Yes);
    screen->cmdPrint()->click();
    EXPECT_EQ(messenger.shown.size(), 3u);
}

// --- The change-schedule report ---

class ReportButtonTest : public BreakTimeFiveTest {
protected:
    void SetUp() override {
        BreakTimeFiveTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        // The remembered heading goes to this test's own settings file, not the user's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.filePath("settings"));
    }

    // Fills the dialog as the user would and presses one of its buttons.
    void scriptReportDialog(const ReportHeading& heading, bool print = false) {
        dialogs.script([heading, print](QDialog& dialog) {
            auto& report = dynamic_cast<ReportDialog&>(dialog);
            report.site()->setText(heading.site);
            report.task()->setText(heading.task);
            report.preparedBy()->setText(heading.preparedBy);
            (print ? report.printButton() : report.saveButton())->click();
            return report.result();
        });
    }

    PdfReading saveReport(const ReportHeading& heading = {"Plant 3", "Line 2 spraying", "J. Hygienist"}) {
        scriptReportDialog(heading);
        dialogs.scriptFileName(folder.filePath("schedule"));
        screen->cmdReport()->click();
        EXPECT_TRUE(QFileInfo::exists(folder.filePath("schedule.pdf"))) << "the suffix is added";
        return readPdf(folder.filePath("schedule.pdf"));
    }

    // A row of the results table as the results screen shows it.
    QString shownRow(int row) const {
        // The report's results table leaves the mg/m3 to the vapor inputs further on.
        return QStringList{
            QStringLiteral("Vapor #%1").arg(row), screen->vapNm(row)->text(), screen->vapConc(row)->text(),
            screen->vapBkConc(row)->text(),       screen->bkT(row)->text(),   screen->bkTMin(row)->text(),
            screen->bkTMax(row)->text()}
            .join(' ');
    }

    QTemporaryDir folder;
};

TEST_F(ReportButtonTest, OnlyAFinishedRunCanBeReported) {
    enter({test::kBenzene});
    EXPECT_FALSE(screen->cmdReport()->isEnabled());
    setBreakConcs({"10"});
    calculate();
    EXPECT_TRUE(screen->cmdReport()->isEnabled());
    setBreakConcs({"60"});  // refused: the last results stay, and so does their report
    calculate();
    EXPECT_TRUE(screen->cmdReport()->isEnabled());
    forms.ShowForm(forms::kResults);
    screen->ShowInputsOnResults();
    screen->ClearResultsDisplay();  // the hub's Continue
    EXPECT_FALSE(screen->cmdReport()->isEnabled());
}

TEST_F(ReportButtonTest, TheReportHoldsTheResultsExactlyAsTheScreenShowsThem) {
    enter({test::kToluene, test::kBenzene, test::kAcetone}, 0.8f);
    setBreakConcs({"10", "5", "20"});
    calculate();
    const PdfReading pdf = saveReport();
    for (int row = 1; row <= 3; ++row) {
        EXPECT_TRUE(pdf.text.contains(shownRow(row))) << shownRow(row).toStdString();
    }
    for (const auto& [caption, field] :
         std::vector<std::pair<QString, QLineEdit*>>{{"Temperature (oC)", screen->temperature()},
                                                     {"Atmospheric Pressure (atm)", screen->atmPressure()},
                                                     {"Use Relative Humidity (%)", screen->relHumid()},
                                                     {"Average Air Flow (L/min)", screen->airFlowVol()},
                                                     {"Equivalent Conc Vapor#1 (mg/m3)", screen->eqConc()}}) {
        EXPECT_TRUE(pdf.text.contains(caption + ' ' + field->text())) << caption.toStdString();
    }
    EXPECT_TRUE(pdf.text.contains("Name: " + screen->cartName()->text()));
    EXPECT_TRUE(pdf.text.contains("Plant 3") && pdf.text.contains("Line 2 spraying"));
    EXPECT_TRUE(pdf.text.contains("Humidity above 65 %")) << "the run's cautions";
    EXPECT_TRUE(pdf.text.contains("Boiling point below 65 °C (Acetone)"));
    EXPECT_EQ(pdf.images, 1) << "the humidity curve";
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(ReportButtonTest, EditsAfterTheRunDoNotReachItsReport) {
    enter({test::kBenzene});
    setBreakConcs({"10"});
    calculate();
    const QString ranRow = shownRow(1);
    typeAndTab(screen->vapConc(1), "300");
    const PdfReading pdf = saveReport();
    EXPECT_TRUE(pdf.text.contains(ranRow)) << "the concentration the times belong to";
    EXPECT_FALSE(pdf.text.contains("300"));
}

TEST_F(ReportButtonTest, TheHeadingIsOfferedAgainNextTime) {
    enter({test::kBenzene});
    setBreakConcs({"10"});
    calculate();
    saveReport({"Plant 3", "Degreasing", "A. Person"});
    dialogs.script([](QDialog& dialog) {
        auto& report = dynamic_cast<ReportDialog&>(dialog);
        EXPECT_EQ(report.site()->text(), "Plant 3");
        EXPECT_EQ(report.task()->text(), "Degreasing");
        EXPECT_EQ(report.preparedBy()->text(), "A. Person");
        EXPECT_FALSE(report.printButton()->isEnabled()) << "no printer in the tests";
        return int(QDialog::Rejected);
    });
    screen->cmdReport()->click();
    EXPECT_EQ(dialogs.fileCaptions.size(), 1u) << "Cancel asks for no file";
}

TEST_F(ReportButtonTest, AFileThatCannotBeWrittenIsReported) {
    enter({test::kBenzene});
    setBreakConcs({"10"});
    calculate();
    scriptReportDialog({});
    dialogs.scriptFileName("/nonexistent-folder/schedule.pdf");
    screen->cmdReport()->click();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].title, "Note");
    EXPECT_EQ(messenger.shown[0].text.rfind(
                  "The report could not be written to /nonexistent-folder/schedule.pdf: ", 0),
              0u)
        << messenger.shown[0].text;
}

// The heading accepted is kept in the calculation; one the calculation holds (opened from a file)
// is offered part by part before the last report's. The report is prepared off the window's thread
// (the window handles events but takes no input) with the cartridge's source from the data folder.
TEST_F(ReportButtonTest, TheHeadingStartsFromTheCalculationAndTheWindowNeverFreezes) {
    dataFolder = folder.path().toStdString() + "/";
    CartridgeSourceRecord source;
    source.origin = CartridgeOrigin::Starter;
    source.cartridge = {"Half-mask OV", 8, 3, 26, 0.45, 50, 0.1, 19, 0.06};
    source.fitted = {"micropore volume"};
    source.test = CertificationTest{"bench test of the starters", "its standard"};
    writeCartridgeSource(dataFolder, source);
    enter({test::kBenzene});
    setBreakConcs({"10"});
    calculate();
    std::optional<bool> enabledMeanwhile;
    QTimer::singleShot(0, screen, [&] { enabledMeanwhile = screen->isEnabled(); });
    // The PDF's text joins "fi" into one ligature: the words around it are looked for.
    EXPECT_TRUE(saveReport({"Plant 3", "Degreasing", "A. Person"})
                    .text.contains("Starter cartridge: its micropore volume were"));
    EXPECT_EQ(enabledMeanwhile, std::optional<bool>(false));
    EXPECT_TRUE(screen->isEnabled());
    EXPECT_EQ(state.reportHeader.preparedBy, "A. Person");

    state.reportHeader = ReportHeader{"Site B", "", "B. Person"};
    dialogs.script([](QDialog& dialog) {
        const ReportHeading offered = dynamic_cast<ReportDialog&>(dialog).heading();
        EXPECT_EQ(offered.site + offered.task + offered.preparedBy, "Site BDegreasingB. Person");
        return int(QDialog::Rejected);
    });
    screen->cmdReport()->click();
    EXPECT_EQ(state.reportHeader.task, "") << "a cancelled report keeps nothing";
}

}  // namespace
}  // namespace quandrelle::testing
