// The "What if..." window of the results screen: the run at its own values against the screen's
// results, the curves of the shipped examples, the CSV file against the chart, cancelling, and the
// keyboard and accessibility of the new controls.

#include <QAccessible>
#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "../../engine/Scenarios.h"
#include "PdfText.h"
#include "ScreenTest.h"
#include "quandrelle/engine/ChangeSchedule.h"
#include "quandrelle/scenario/ScenarioText.h"
#include "quandrelle/screens/forms/BreakTimeFive.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/LimitsMessage.h"
#include "quandrelle/screens/forms/UseOneM.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/screens/whatif/WhatIfWindow.h"
#include "quandrelle/screens/widgets/ValueLabel.h"

namespace quandrelle::testing {
namespace {

QString accessibleName(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

class WhatIfWindowTest : public ScreenTest {
protected:
    void SetUp() override {
        defineResultsRoad();
        screen = &forms.form<BreakTimeFive>(forms::kResults);
    }

    // Calculates the vapors on the results screen, as the user would.
    void calculate(const std::vector<test::VaporInput>& vapors) {
        state = test::withVapors(test::halfMask(0.65f), vapors);
        for (int slot = 1; slot <= state.vaporCount; ++slot) {
            nameVapor(slot, QString::fromStdString(state.vapors[slot].chemName));
        }
        screen->ShowInputsOnResults();
        screen->ClearResultsDisplay();
        showAndActivate(forms::kResults);
        for (int row = 1; row <= state.vaporCount; ++row) {
            screen->vapBkConc(row)->setText(
                QString::number(vapors[static_cast<std::size_t>(row - 1)].breakConc));
        }
        screen->cmdCalc()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !screen->runInProgress(); }, 60000));
    }

    WhatIfWindow& openWindow() {
        screen->cmdWhatIf()->click();
        WhatIfWindow* window = screen->whatIfWindow();
        EXPECT_NE(window, nullptr);
        return *window;
    }

    static bool waitForCurves(WhatIfWindow& window) {
        return QTest::qWaitFor([&] { return !window.isComputing(); }, 90000) && window.curves().has_value();
    }

    static void choose(WhatIfWindow& window, SweepQuantity quantity) {
        window.quantity()->setCurrentIndex(window.quantity()->findData(static_cast<int>(quantity)));
    }

    static std::vector<QLineSeries*> lines(WhatIfWindow& window) {
        std::vector<QLineSeries*> found;
        for (QAbstractSeries* series : window.chartView()->chart()->series()) {
            if (series->type() == QAbstractSeries::SeriesTypeLine) {
                found.push_back(static_cast<QLineSeries*>(series));
            }
        }
        return found;
    }

    static QScatterSeries* markersNamed(WhatIfWindow& window, const QString& start) {
        for (QAbstractSeries* series : window.chartView()->chart()->series()) {
            if (series->type() == QAbstractSeries::SeriesTypeScatter && series->name().startsWith(start)) {
                return static_cast<QScatterSeries*>(series);
            }
        }
        return nullptr;
    }

    BreakTimeFive* screen = nullptr;
};

TEST_F(WhatIfWindowTest, OnlyARunCanBeVariedAndTheButtonComesLastOnTheKeyboard) {
    calculate({test::kBenzene});
    ASSERT_TRUE(screen->cmdWhatIf()->isEnabled());
    screen->cmdReport()->setFocus();
    QTest::keyClick(screen->cmdReport(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), screen->cmdWhatIf());
    EXPECT_EQ(screen->cmdWhatIf()->text(), "What if...");
    EXPECT_EQ(screen->cmdWhatIf()->accessibleName(), "What if...");

    WhatIfWindow& window = openWindow();
    ASSERT_TRUE(waitForCurves(window));
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control) ||
            qobject_cast<QProgressBar*>(control) || qobject_cast<QAbstractItemView*>(control) ||
            qobject_cast<QChartView*>(control) || qobject_cast<ValueLabel*>(control)) {
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
        }
    }
    EXPECT_TRUE(accessibleName(window.status()).endsWith(window.status()->text()));

    // New inputs on the hub clear the results: the window keeps its curves and says whose they are.
    screen->ClearResultsDisplay();
    EXPECT_FALSE(screen->cmdWhatIf()->isEnabled());
    EXPECT_TRUE(window.runCaption()->text().startsWith("An earlier run"))
        << window.runCaption()->text().toStdString();
    EXPECT_TRUE(window.curves().has_value());
}

TEST_F(WhatIfWindowTest, TheRunAtItsOwnValuesIsTheResultsScreensRunToTheLastBit) {
    calculate({test::kToluene, test::kBenzene, test::kAcetone});
    const CalcState shown = state;
    WhatIfWindow& window = openWindow();
    for (const SweepQuantity quantity : {SweepQuantity::RelHumidity, SweepQuantity::AirFlow}) {
        choose(window, quantity);
        ASSERT_TRUE(waitForCurves(window));
        const CurvePoint& operating = window.curves()->operating;
        ASSERT_EQ(operating.times.size(), 3u);
        QScatterSeries* marked = markersNamed(window, "This run");
        ASSERT_NE(marked, nullptr);
        for (int row = 1; row <= 3; ++row) {
            const VaporTimes& times = operating.times[static_cast<std::size_t>(row - 1)];
            EXPECT_EQ(times.estimate, shown.breakTimeResult[row]) << row;
            EXPECT_EQ(times.minimum, shown.breakTimeMin[row]) << row;
            EXPECT_EQ(times.maximum, shown.breakTimeMax[row]) << row;
            EXPECT_EQ(marked->at(row - 1).y(), shown.breakTimeResult[row]) << row;
        }
    }
    // The marker under the pointer reads as the screen shows the result.
    QScatterSeries* marked = markersNamed(window, "This run");
    emit marked->hovered(marked->at(1), true);
    EXPECT_TRUE(window.pointLabel()->text().contains(screen->bkT(2)->text() + " min (range " +
                                                     screen->bkTMin(2)->text() + " to " +
                                                     screen->bkTMax(2)->text()))
        << window.pointLabel()->text().toStdString();
    EXPECT_TRUE(accessibleName(window.pointLabel()).endsWith(window.pointLabel()->text()));
}

// Water takes the place of the vapors on the carbon: in none of the shipped examples may a more
// humid use give a longer time, except by the sliver a water-soluble vapor gains below about 30 %
// by dissolving in the little water adsorbed there (the model's dissolved-volume term, a few
// thousandths of a minute in two hundred).
TEST_F(WhatIfWindowTest, NoShippedExampleLastsLongerInMoreHumidAir) {
    const QStringList examples = QDir(QStringLiteral(QUANDRELLE_EXAMPLES_DIR)).entryList({"*.json"});
    ASSERT_GE(examples.size(), 3);
    for (const QString& name : examples) {
        SCOPED_TRACE(name.toStdString());
        std::ifstream file(QStringLiteral(QUANDRELLE_EXAMPLES_DIR "/%1").arg(name).toStdString());
        std::stringstream text;
        text << file.rdbuf();
        calc::Scenario scenario;
        ASSERT_TRUE(calc::readScenarioText(text.str(), scenario).empty());
        ASSERT_EQ(Calculate(scenario.state, scenario.rows).status, CalculateStatus::Done);
        const WhatIfCurves curves = computeWhatIfCurves(scenario.state, SweepQuantity::RelHumidity);
        for (std::size_t v = 0; v < curves.vaporNames.size(); ++v) {
            SCOPED_TRACE(curves.vaporNames[v]);
            const bool dissolves = scenario.state.vapors[static_cast<int>(v) + 1].waterSolFactor > 0;
            for (std::size_t i = 1; i < curves.points.size(); ++i) {
                ASSERT_TRUE(curves.points[i].hasTimes()) << i;
                const VaporTimes& drier = curves.points[i - 1].times[v];
                const VaporTimes& wetter = curves.points[i].times[v];
                const double allowed = dissolves ? 1e-4 : 0;
                EXPECT_LE(wetter.estimate, drier.estimate * (1 + allowed)) << curves.points[i].value;
                EXPECT_LE(wetter.minimum, drier.minimum * (1 + allowed)) << curves.points[i].value;
                EXPECT_LE(wetter.maximum, drier.maximum * (1 + allowed)) << curves.points[i].value;
            }
            EXPECT_LT(curves.points.back().times[v].estimate, curves.points.front().times[v].estimate);
        }
    }
}

TEST_F(WhatIfWindowTest, TheChartDrawsEveryPointAndMarksThoseNotCalculated) {
    calculate({test::kToluene, test::kBenzene, test::kAcetone});
    WhatIfWindow& window = openWindow();
    ASSERT_TRUE(waitForCurves(window));
    // A line and a band per vapor, and the run's own marker.
    EXPECT_EQ(window.chartView()->chart()->series().size(), 3 * 2 + 1);
    for (QLineSeries* line : lines(window)) {
        EXPECT_EQ(line->count(), kWhatIfPointCount) << line->name().toStdString();
    }
    EXPECT_EQ(window.notes()->item(0)->text(), "Every point was found by the model.");

    // Scaled down ten times, benzene's breakthrough concentration is above half of its concentration.
    choose(window, SweepQuantity::ConcentrationScale);
    ASSERT_TRUE(waitForCurves(window));
    QScatterSeries* refused = markersNamed(window, "Not calculated");
    ASSERT_NE(refused, nullptr);
    int withoutTimes = 0;
    for (const CurvePoint& point : window.curves()->points) {
        withoutTimes += point.hasTimes() ? 0 : 1;
    }
    ASSERT_GT(withoutTimes, 0);
    EXPECT_EQ(refused->count(), withoutTimes);
    EXPECT_EQ(lines(window).front()->count(), kWhatIfPointCount - withoutTimes);
    const QString note = window.notes()->item(0)->text();
    EXPECT_TRUE(note.startsWith("Not calculated, refused at 0.1 x, ")) << note.toStdString();
    EXPECT_TRUE(note.endsWith(QString::fromUtf8(kLimitsMessageText.data(), kLimitsMessageText.size())));
}

TEST_F(WhatIfWindowTest, TheCsvFileHoldsExactlyThePlottedNumbersAndTheChartSavesAsImageOrPdf) {
    calculate({test::kToluene, test::kBenzene});
    WhatIfWindow& window = openWindow();
    ASSERT_TRUE(waitForCurves(window));
    QTemporaryDir folder;
    dialogs.scriptFileName(folder.filePath("curves"));
    window.saveCsvButton()->click();
    QFile file(folder.filePath("curves.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the suffix is added";
    const QStringList rows = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), kWhatIfPointCount + 1);
    // The vapors in the run's order, which put benzene first.
    EXPECT_EQ(rows[0],
              "relHumidity,Benzene estimate (min),Benzene min (min),Benzene max (min),Toluene estimate "
              "(min),Toluene min (min),Toluene max (min),status,note");
    std::vector<QList<QPointF>> plotted;
    for (QAbstractSeries* series : window.chartView()->chart()->series()) {
        if (auto* band = qobject_cast<QAreaSeries*>(series)) {
            // The file's order per vapor: estimate, min, max.
            plotted.push_back(lines(window)[plotted.size() / 3]->points());
            plotted.push_back(band->lowerSeries()->points());
            plotted.push_back(band->upperSeries()->points());
        }
    }
    ASSERT_EQ(plotted.size(), 6u);
    for (int i = 0; i < kWhatIfPointCount; ++i) {
        const QStringList cells = rows[i + 1].split(',');
        ASSERT_EQ(cells.size(), 9) << rows[i + 1].toStdString();
        for (std::size_t column = 0; column < plotted.size(); ++column) {
            const QPointF drawn = plotted[column].at(i);
            EXPECT_EQ(cells[0].toDouble(), drawn.x()) << i;
            EXPECT_EQ(cells[static_cast<int>(column) + 1].toDouble(), drawn.y()) << i << " " << column;
        }
        EXPECT_EQ(cells[7], "model");
    }

    dialogs.scriptFileName(folder.filePath("curves.png"));
    window.savePngButton()->click();
    EXPECT_EQ(QImage(folder.filePath("curves.png")).size(), window.chartView()->size());
    dialogs.scriptFileName(folder.filePath("curves"));
    window.savePdfButton()->click();
    EXPECT_EQ(readPdf(folder.filePath("curves.pdf")).pages, 1);
    EXPECT_TRUE(messenger.shown.empty());
    dialogs.scriptFileName("/nonexistent-folder/curves.csv");
    window.saveCsvButton()->click();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(
        messenger.shown[0].text.rfind("The file /nonexistent-folder/curves.csv could not be written: ", 0),
        0u)
        << messenger.shown[0].text;
}

TEST_F(WhatIfWindowTest, CancelAndClosingStopTheWorkWithinASecond) {
    calculate({test::kToluene, test::kBenzene, test::kAcetone});
    WhatIfWindow& window = openWindow();
    ASSERT_TRUE(waitForCurves(window));
    // Long enough that no sweep could end by itself within the test's second.
    window.setPointCount(5000);
    window.recalculateButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.progress()->value() > 0; }, 5000));
    QElapsedTimer clock;
    clock.start();
    window.cancelButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isComputing(); }, 5000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(window.curves().has_value()) << "a cancelled sweep draws nothing";
    EXPECT_TRUE(window.chartView()->chart()->series().isEmpty());
    EXPECT_TRUE(window.status()->text().startsWith("Cancelled after "))
        << window.status()->text().toStdString();
    EXPECT_FALSE(window.saveCsvButton()->isEnabled());

    window.recalculateButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.progress()->value() > 0; }, 5000));
    QPointer<WhatIfWindow> open(&window);
    clock.restart();
    window.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return open.isNull(); }, 5000)) << "closing deletes the window";
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(WhatIfWindowTest, TheScheduleOfTheRunIsShownAsTheEngineWordsItAndFollowsEveryNewRun) {
    calculate({test::kToluene, test::kBenzene});
    WhatIfWindow& window = openWindow();
    QStringList shown;
    for (const double safetyFactor : {2.0, 4.0}) {
        state.schedule.safetyFactor = safetyFactor;
        screen->cmdCalc()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !screen->runInProgress(); }, 60000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isDrawingSchedule(); }, 90000));
        const QString sentence = QString::fromStdString(programmeResult(state).schedule.sentence);
        EXPECT_EQ(window.schedule()->text(), sentence);
        EXPECT_TRUE(accessibleName(window.schedule()).endsWith(sentence));
        shown << sentence;
    }
    EXPECT_NE(shown[0], shown[1]);
}

}  // namespace
}  // namespace quandrelle::testing
