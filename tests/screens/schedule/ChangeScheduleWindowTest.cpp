// The change-schedule window: it draws the schedule of the results screen's last run from the
// programme's inputs as they are entered, stores accepted entries in the calculation and refuses
// the others with the reason, the stored values staying in place.

#include <QSignalSpy>

#include "ScreenTest.h"
#include "quandrelle/screens/forms/BreakTimeFive.h"
#include "quandrelle/screens/forms/CalculationCommands.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/screens/schedule/ChangeScheduleWindow.h"

namespace quandrelle::testing {
namespace {

class ChangeScheduleWindowTest : public ScreenTest {
protected:
    void SetUp() override {
        defineResultsRoad();
        ASSERT_TRUE(openCalculationFile(context,
                                        QStringLiteral(QUANDRELLE_EXAMPLES_DIR "/paint-shop-3-vapors.json")));
        results = &forms.form<BreakTimeFive>(forms::kResults);
        activate(*results);
    }

    void calculate() {
        results->cmdCalc()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !results->runInProgress(); }, 60000));
    }

    ChangeScheduleWindow& openWindow() {
        results->cmdSchedule()->click();
        return *results->scheduleWindow();
    }

    static void enter(QLineEdit* field, const QString& text) {
        field->setText(text);
        emit field->editingFinished();
    }

    BreakTimeFive* results = nullptr;
};

TEST_F(ChangeScheduleWindowTest, ScheduleFollowsTheRunAndTheEntries) {
    ChangeScheduleWindow& window = openWindow();
    EXPECT_TRUE(
        window.schedule()->toPlainText().startsWith(QStringLiteral("Calculate the breakthrough times")));

    calculate();
    // Methyl ethyl ketone boils below 65 °C: changed at the end of every shift, 190.4 min / 2.
    const QString halved = window.schedule()->toPlainText();
    EXPECT_TRUE(halved.startsWith(QStringLiteral("Change cartridges after 1 h 30 min of wear")))
        << halved.toStdString();

    enter(window.safetyFactor(), QStringLiteral("1"));
    EXPECT_EQ(state.schedule.safetyFactor, 1);
    EXPECT_TRUE(window.entryProblem()->text().isEmpty());
    EXPECT_TRUE(
        window.schedule()->toPlainText().startsWith(QStringLiteral("Change cartridges after 3 h of wear")))
        << window.schedule()->toPlainText().toStdString();
}

TEST_F(ChangeScheduleWindowTest, RefusedEntryKeepsTheStoredValueAndSaysWhy) {
    ChangeScheduleWindow& window = openWindow();
    const std::vector<std::tuple<QLineEdit*, QString, QString>> rows = {
        {window.safetyFactor(), QStringLiteral("0.5"),
         QStringLiteral("The safety factor must be a number of 1 or more.")},
        {window.wornHours(), QStringLiteral("9"),
         QStringLiteral("The hours worn per shift must be above 0 and at most the shift length.")},
        {window.oel(1), QStringLiteral("0"),
         QStringLiteral("Toluene: The exposure limit must be a concentration above 0 ppm.")},
    };
    for (const auto& [field, typed, why] : rows) {
        SCOPED_TRACE(why.toStdString());
        const QString shown = field->text();
        const CalcState before = state;
        enter(field, typed);
        EXPECT_EQ(window.entryProblem()->text(), why);
        EXPECT_EQ(field->text(), shown);
        EXPECT_EQ(state.schedule.safetyFactor, before.schedule.safetyFactor);
        EXPECT_EQ(state.schedule.wornHoursPerShift, before.schedule.wornHoursPerShift);
        EXPECT_EQ(state.vapors[1].oel, before.vapors[1].oel);
    }
}

TEST_F(ChangeScheduleWindowTest, ExposureLimitAndFacepieceReachTheCheckAndTheSavedCalculation) {
    ChangeScheduleWindow& window = openWindow();
    calculate();
    enter(window.oel(1), QStringLiteral("20"));
    window.facepiece()->setCurrentIndex(1);
    EXPECT_EQ(state.vapors[1].oel, 20);
    EXPECT_EQ(state.exposure.facepiece, Facepiece::FullFacepiece);
    EXPECT_TRUE(document.hasUnsavedChanges());
    EXPECT_TRUE(window.schedule()->toPlainText().contains(
        QStringLiteral("Exposure check (protection factor 50): adequate; Methyl ethyl ketone 15.00")))
        << window.schedule()->toPlainText().toStdString();
    EXPECT_FALSE(window.typedFactor()->isEnabled());
    saveScreenshotIfAsked(window, "QUANDRELLE_SCHEDULE_SCREENSHOT");
    EXPECT_FALSE(window.safetyFactor()->accessibleName().isEmpty());
}

}  // namespace
}  // namespace quandrelle::testing
