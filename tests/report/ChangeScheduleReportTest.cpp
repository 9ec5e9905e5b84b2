// The change-schedule report: what the PDF file says (read back with poppler's tools), its pages,
// the remembered heading and the failures of writing it.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>

#include "../engine/Scenarios.h"
#include "PdfText.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/Cautions.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/engine/MethodSummary.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/report/ChangeScheduleReport.h"

namespace quandrelle::testing {
namespace {

QString shown(const std::string& text) {
    return QString::fromStdString(text);
}

class ChangeScheduleReportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    // Runs the vapors on the half-mask cartridge and writes the report of the run.
    PdfReading reportOf(const std::vector<test::VaporInput>& vapors, ReportContent content = {},
                        float relHumidity = 0.5f) {
        state = test::withVapors(test::halfMask(relHumidity), vapors);
        for (int slot = 1; slot <= state.vaporCount; ++slot) {
            state.vapors[slot].casNumber = state.vapors[slot].chemName + "-CAS";
        }
        const CalculateOutcome outcome = runCalculation(state);
        EXPECT_EQ(outcome.status, CalculateStatus::Done) << outcome.errorText;
        return write(content);
    }

    PdfReading write(const ReportContent& content, const QPageSize& pageSize = QPageSize(QPageSize::A4)) {
        const QString file = folder.filePath("report.pdf");
        auto document = buildChangeScheduleReport(state, content);
        writeReportPdf(*document, file, pageSize);
        if (const char* keep = std::getenv("QUANDRELLE_KEEP_REPORT")) {
            QFile::remove(QString::fromLocal8Bit(keep));
            QFile::copy(file, QString::fromLocal8Bit(keep));
        }
        return readPdf(file);
    }

    static ReportContent heading() {
        ReportContent content;
        content.heading = {"Plant 3 & <East>", "Spray booth, line 2", "J. Hygienist"};
        content.madeAt = QDateTime(QDate(2026, 12, 8), QTime(14, 5));
        return content;
    }

    QTemporaryDir folder;
    CalcState state;
};

TEST_F(ChangeScheduleReportTest, HoldsEveryInputAndResultTextOfTheRun) {
    const PdfReading pdf = reportOf({test::kToluene, test::kBenzene, test::kAcetone}, heading());
    const QString& text = pdf.text;
    for (const char* words :
         {"Cartridge Change-Schedule Report", "Made 2026-12-08 14:05 with Quandrelle " QUANDRELLE_VERSION,
          "Plant 3 & <East>", "Spray booth, line 2", "J. Hygienist", "Half-mask OV"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(words))) << words;
    }
    for (float value : {state.bedDiameter, state.bedDepth, state.carbonWeight, state.microporeVolume,
                        state.granuleDiameter, state.benzenePotential, state.waterAffinity}) {
        EXPECT_TRUE(text.contains(shown(generalText(value)))) << value;
    }
    for (int slot = 1; slot <= 3; ++slot) {
        const VaporData& vapor = state.vapors[slot];
        const QString row = QStringLiteral("Vapor #%1 %2 %3 %4 %5 %6 %7")
                                .arg(slot)
                                .arg(shown(vapor.chemName), shown(generalText(vapor.avgConc)),
                                     shown(generalText(state.breakConc[slot])),
                                     shown(formatNumber(state.breakTimeResult[slot], "#.#")),
                                     shown(formatNumber(state.breakTimeMin[slot], "0")),
                                     shown(formatNumber(state.breakTimeMax[slot], "0")));
        EXPECT_TRUE(text.contains(row)) << row.toStdString() << "\n" << text.toStdString();
        for (float value : {vapor.molWt, vapor.liqDensity, vapor.molPolariz, vapor.antoineA, vapor.antoineB,
                            vapor.antoineC}) {
            EXPECT_TRUE(text.contains(shown(generalText(value)))) << vapor.chemName << " " << value;
        }
        EXPECT_TRUE(text.contains(shown(generalText(state.breakFraction[slot])))) << vapor.chemName;
        EXPECT_TRUE(text.contains(shown(vapor.casNumber))) << vapor.chemName;
    }
    for (const char* condition :
         {"Temperature (oC) 23", "Atmospheric Pressure (atm) 1.00", "Use Relative Humidity (%) 50",
          "Average Air Flow (L/min) 30", "Cartridges per Respirator 2"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(condition))) << condition;
    }
    EXPECT_TRUE(text.contains("Equivalent Conc Vapor#1 (mg/m3) " +
                              shown(massConcentrationText(equivalentConcentration(state)))));
    EXPECT_TRUE(text.contains("Dubinin-Radushkevich"));
    EXPECT_TRUE(text.contains("None for this run."));
    EXPECT_LE(pdf.pages, 4);
    EXPECT_EQ(pdf.images, 0) << "no humidity curve was given";
}

TEST_F(ChangeScheduleReportTest, ShowsTheMethodAndEveryNoteInOrder) {
    ReportContent content = heading();
    content.method = "fallback";
    content.notes = {"Stage 2 (Toluene, Benzene): the second solver was used.",
                     "Humidity above 65 %: water shortens cartridge life."};
    const PdfReading pdf = reportOf({test::kToluene, test::kBenzene}, content);
    EXPECT_TRUE(pdf.text.contains("This run (fallback): a second solver"));
    const auto first = pdf.text.indexOf(shown(content.notes[0]));
    const auto second = pdf.text.indexOf(shown(content.notes[1]));
    EXPECT_GE(first, 0);
    EXPECT_GT(second, first);
    EXPECT_FALSE(pdf.text.contains("None for this run."));
}

TEST_F(ChangeScheduleReportTest, FiveVaporsWithEveryCautionFitOnAtMostFourPages) {
    state = test::withVapors(test::halfMask(0.9f), {test::kToluene, test::kBenzene, test::kAcetone,
                                                    test::kHexane, test::kEthylAcetate});
    ASSERT_EQ(runCalculation(state).status, CalculateStatus::Done);
    ReportContent content = runReportContent(state, heading().heading);
    content.notes = runCautions(state, true);
    QImage curve(800, 500, QImage::Format_RGB32);
    curve.fill(Qt::white);
    QPainter(&curve).drawLine(0, 0, 800, 500);
    content.humidityCurve = curve;
    const PdfReading pdf = write(content);
    EXPECT_GE(pdf.pages, 1);
    EXPECT_LE(pdf.pages, 4);
    EXPECT_EQ(pdf.images, 1) << "the humidity curve";
    for (const std::string& note : content.notes) {
        EXPECT_TRUE(pdf.text.contains(shown(note))) << note;
    }
}

TEST_F(ChangeScheduleReportTest, TheFirstPageHoldsTheScheduleAndTheCheckAndTheLastTheSignOff) {
    state = test::withVapors(test::halfMask(), {test::kToluene, test::kAcetone});
    storeExposure(state, {.facepiece = Facepiece::FullFacepiece});
    storeExposureLimits(state, 2, 250, 2500);
    state.vapors[1].dataSource = "vapor library: properties.csv line 141";
    ASSERT_EQ(runCalculation(state).status, CalculateStatus::Done);
    ReportContent content = runReportContent(state, heading().heading);
    content.cartridgeSource = "Fitted to 3 known breakthrough times.";
    const PdfReading pdf = write(content);
    ASSERT_GE(pdf.pageTexts.size(), 2);
    const QString& first = pdf.pageTexts.front();
    const ProgrammeResult& programme = *content.programme;
    for (const std::string& expected : {programme.schedule.sentence, programme.exposure.reasons.front()}) {
        EXPECT_TRUE(first.contains(shown(expected))) << expected << "\n" << first.toStdString();
    }
    for (const std::string& reason : programme.schedule.reasons) {
        EXPECT_TRUE(first.contains(shown(reason))) << reason;
    }
    for (const char* words :
         {"Plant 3 & <East>", "Half-mask OV, 2 per respirator", "full facepiece", "Acetone 200 250 2500 0.80",
          "Toluene 100 none entered none entered not checked"}) {
        EXPECT_TRUE(first.contains(QString::fromUtf8(words))) << words << "\n" << first.toStdString();
    }
    for (const VaporBasis& basis : programme.schedule.bases) {
        EXPECT_TRUE(pdf.text.contains(shown(wearText(basis.basis)))) << basis.name;
    }
    for (const char* words :
         {"Source of its data: Fitted to 3 known breakthrough times.",
          "Toluene vapor library: properties.csv line 141", "Acetone typed by the user",
          "median error is 13 % at 1 % breakthrough and 7 % at 10 %",
          "must be re-evaluated whenever the process, the concentrations or the cartridge change"}) {
        EXPECT_TRUE(pdf.text.contains(QString::fromUtf8(words))) << words;
    }
    EXPECT_TRUE(pdf.pageTexts.back().contains(QRegularExpression("Prepared by _+ Reviewed by _+ Date _+")))
        << pdf.pageTexts.back().toStdString();
}

TEST_F(ChangeScheduleReportTest, ARefusedScheduleIsACautionAndNotASchedule) {
    state = test::withVapors(test::halfMask(), {test::kToluene});
    storeExposureLimits(state, 1, 5, std::nullopt);
    ASSERT_EQ(runCalculation(state).status, CalculateStatus::Done);
    const PdfReading pdf = write(runReportContent(state, {}));
    EXPECT_TRUE(
        pdf.pageTexts.front().contains("CAUTION: No change schedule: Toluene at 100 ppm exceeds 10 times"));
    EXPECT_TRUE(pdf.text.contains("NOT adequate"));
    EXPECT_FALSE(pdf.text.contains("Change cartridges after"));
}

// Every word the PDF shows must be a word of the document: a heading broken inside a word
// ("Concentration s") leaves pieces that are not. No row of the sources table, whose cells wrap,
// may run over a page end.
TEST_F(ChangeScheduleReportTest, NoWordIsBrokenAndNoRowSplitsAcrossPages) {
    state = test::withVapors(test::halfMask(0.9f),
                             {test::kDichloroethane, test::kChlorobenzene, test::kEthylAcetate,
                              test::kAcetonitrile, test::kEthylBromide});
    ASSERT_EQ(runCalculation(state).status, CalculateStatus::Done);
    const QString longSource =
        "properties.csv line %1; vapor-pressure.csv lines 2318-2338 (Antoine Landolt), fitted to the 14 "
        "points "
        "from 263.15 to 328.15 K, checked against the boiling point and the refractive index, end of row %1";
    for (int slot = 1; slot <= state.vaporCount; ++slot) {
        state.vapors[slot].dataSource = longSource.arg(slot).toStdString();
    }
    ReportContent content = runReportContent(state, heading().heading);
    content.notes = runCautions(state, true);
    const auto document = buildChangeScheduleReport(state, content);
    const PdfReading pdf = write(content);
    const QStringList known = document->toPlainText()
                                  .normalized(QString::NormalizationForm_KC)
                                  .split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    const QSet<QString> vocabulary(known.begin(), known.end());
    // pdftotext gives the ligatures the font drew ("ﬁ"); compatibility form turns them back into letters.
    const QString read = pdf.text.normalized(QString::NormalizationForm_KC);
    for (const QString& word : read.split(' ', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(vocabulary.contains(word)) << "a broken word: " << word.toStdString();
    }
    for (int slot = 1; slot <= state.vaporCount; ++slot) {
        const QString start = QStringLiteral("properties.csv line %1;").arg(slot);
        const QString end = QStringLiteral("end of row %1").arg(slot);
        const bool onOnePage =
            std::any_of(pdf.pageTexts.begin(), pdf.pageTexts.end(),
                        [&](const QString& page) { return page.contains(start) && page.contains(end); });
        EXPECT_TRUE(onOnePage) << "row " << slot;
    }
}

TEST(MethodSummary, QuotesTheFiguresOfTheValidationPage) {
    QFile page(QUANDRELLE_SOURCE_DIR "/docs/validation.md");
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    for (const char* figure : {"**13 %**", "**7 %**", "(median +16 %)", "Largest error: Ethanol, +50 %"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(figure))) << figure;
    }
    const QString summary = QString::fromUtf8(kValidationSummary.data(), kValidationSummary.size());
    for (const char* figure : {"13 % at 1 %", "7 % at 10 %", "+16 % at 1 %", "ethanol +50 %"}) {
        EXPECT_TRUE(summary.contains(QString::fromUtf8(figure))) << figure;
    }
}

TEST_F(ChangeScheduleReportTest, ThePageSizeIsTheOneAskedFor) {
    state = test::withVapors(test::halfMask(), {test::kBenzene});
    ASSERT_EQ(runCalculation(state).status, CalculateStatus::Done);
    EXPECT_TRUE(write({}, QPageSize(QPageSize::A4)).pageSize.contains("(A4)"));
    EXPECT_TRUE(write({}, QPageSize(QPageSize::Letter)).pageSize.contains("(letter)"));
}

TEST_F(ChangeScheduleReportTest, TheWaterAffinityInUseIsSaidToBeRaisedForWetPreconditioning) {
    state = test::withVapors(test::halfMask(0.5f, 0.8f), {test::kBenzene});
    ASSERT_EQ(runCalculation(state).status, CalculateStatus::Done);
    const PdfReading pdf = write({});
    EXPECT_TRUE(pdf.text.contains("x 5/3"));
    EXPECT_TRUE(pdf.text.contains(shown(generalText(state.waterAffinity))));
}

TEST_F(ChangeScheduleReportTest, AFileThatCannotBeWrittenIsReportedAndAnEarlierFileKept) {
    state = test::withVapors(test::halfMask(), {test::kBenzene});
    auto document = buildChangeScheduleReport(state, {});
    try {
        writeReportPdf(*document, "/nonexistent-folder/report.pdf");
        FAIL() << "no error";
    } catch (const ReportWriteError& error) {
        EXPECT_EQ(std::string(error.what())
                      .rfind("The report could not be written to /nonexistent-folder/report.pdf: ", 0),
                  0u)
            << error.what();
    }

    // A folder in the way of the file: nothing is written, nothing is lost.
    ASSERT_TRUE(QDir(folder.path()).mkdir("taken.pdf"));
    EXPECT_THROW(writeReportPdf(*document, folder.filePath("taken.pdf")), ReportWriteError);
    EXPECT_TRUE(QFileInfo(folder.filePath("taken.pdf")).isDir());
}

TEST_F(ChangeScheduleReportTest, TheHeadingIsRememberedBetweenRuns) {
    const QString file = folder.filePath("settings.ini");
    {
        QSettings settings(file, QSettings::IniFormat);
        EXPECT_EQ(loadReportHeading(settings).site, QString()) << "empty before the first report";
        saveReportHeading(settings, heading().heading);
    }
    QSettings settings(file, QSettings::IniFormat);
    const ReportHeading again = loadReportHeading(settings);
    EXPECT_EQ(again.site, "Plant 3 & <East>");
    EXPECT_EQ(again.task, "Spray booth, line 2");
    EXPECT_EQ(again.preparedBy, "J. Hygienist");
}

}  // namespace
}  // namespace quandrelle::testing
