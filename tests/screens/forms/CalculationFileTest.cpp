// Saving and opening a calculation from the screens: an opened file fills the results screen as if
// typed and runs as the command-line calculator runs it, open then save gives the same bytes, a
// damaged file changes nothing, and unsaved changes are asked about before the program ends.

#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <sstream>

#include "ScreenTest.h"
#include "quandrelle/calc/CalcProgram.h"
#include "quandrelle/scenario/ScenarioFile.h"
#include "quandrelle/screens/forms/BreakTimeFive.h"
#include "quandrelle/screens/forms/CalculationCommands.h"
#include "quandrelle/screens/framework/CalculationFiles.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle::testing {
namespace {

const QString kExample = QStringLiteral(QUANDRELLE_EXAMPLES_DIR "/paint-shop-3-vapors.json");

QByteArray bytesOf(const QString& file) {
    QFile in(file);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << file.toStdString();
    return in.readAll();
}

class CalculationFileTest : public ScreenTest {
protected:
    void SetUp() override {
        defineResultsRoad();
        ASSERT_TRUE(m_folder.isValid());
    }

    QString pathIn(const QString& name) const { return m_folder.filePath(name); }
    BreakTimeFive& results() { return forms.form<BreakTimeFive>(forms::kResults); }

    void openExample() {
        ASSERT_TRUE(openCalculationFile(context, kExample));
        activate(results());
    }

    void saveAs(const QString& file) {
        dialogs.scriptFileName(file);
        results().files()->saveButton()->click();
    }

    void calculate() {
        results().cmdCalc()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !results().runInProgress(); }, 60000));
    }

private:
    QTemporaryDir m_folder;
};

TEST_F(CalculationFileTest, OpenedFileFillsTheResultsScreenAndItsSavedRunGivesTheCalculatorsNumbers) {
    openExample();
    EXPECT_TRUE(results().isVisible());
    EXPECT_EQ(results().vapConc(1)->text(), QStringLiteral("150"));
    EXPECT_EQ(results().vapBkConc(1)->text(), QStringLiteral("15"));
    EXPECT_EQ(results().temperature()->text(), QStringLiteral("23"));
    EXPECT_TRUE(results().bkT(1)->text().isEmpty());
    EXPECT_FALSE(document.hasUnsavedChanges());

    calculate();
    const QString saved = pathIn(QStringLiteral("run.quandrelle"));
    saveAs(saved);
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(calc::runCalcProgram({saved.toStdString()}, in, out, err), calc::kExitResults) << err.str();
    for (int row = 1; row <= state.vaporCount; ++row) {
        const std::string line = results().vapNm(row)->text().toStdString();
        for (const QLabel* time : {results().bkT(row), results().bkTMin(row), results().bkTMax(row)}) {
            EXPECT_NE(out.str().find(time->text().trimmed().toStdString()), std::string::npos)
                << line << ": " << time->text().toStdString() << " not in\n"
                << out.str();
        }
    }
}

TEST_F(CalculationFileTest, OpenThenSaveGivesTheSameBytesAndTheRecentListNamesTheFile) {
    openExample();
    saveAs(pathIn(QStringLiteral("first")));
    const QString first = pathIn(QStringLiteral("first.quandrelle"));
    ASSERT_TRUE(QFile::exists(first)) << "the file ending is added";
    ASSERT_TRUE(openCalculationFile(context, first));
    const QString second = pathIn(QStringLiteral("second.quandrelle"));
    saveAs(second);

    EXPECT_EQ(bytesOf(first), bytesOf(second));
    EXPECT_EQ(document.fileName(), second);
    ASSERT_GE(recentCalculations().size(), 2);
    EXPECT_EQ(recentCalculations().mid(0, 2), (QStringList{second, first}));
    QMenu* menu = results().files()->recentButton()->menu();
    emit menu->aboutToShow();
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("second.quandrelle"));
}

TEST_F(CalculationFileTest, DamagedOrLaterFileIsReportedAndChangesNothing) {
    const std::vector<std::pair<QByteArray, std::string>> files = {
        {"{ \"cartridge\": ", "malformed"},
        {R"({"format": 2, "cartridge": {}})", "format"},
    };
    for (const auto& [content, why] : files) {
        SCOPED_TRACE(why);
        const QString file = pathIn(QStringLiteral("bad.quandrelle"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(content);
        out.close();
        const CalcState before = state;
        messenger.shown.clear();

        EXPECT_FALSE(openCalculationFile(context, file));
        ASSERT_EQ(messenger.shown.size(), 1U);
        EXPECT_TRUE(
            messenger.shown[0].text.starts_with("The calculation " + file.toStdString() + " was not opened:"))
            << messenger.shown[0].text;
        EXPECT_TRUE(calc::sameInputs(state, before));
        EXPECT_FALSE(forms.isLoaded(forms::kResults));
    }
}

struct ExitRow {
    const char* name;
    bool edited;
    std::vector<MessageAnswer> answers;  // the exit question's, then the unsaved changes'
    bool ends;
    bool saved;
};

TEST_F(CalculationFileTest, ExitAsksAboutUnsavedChangesOnlyWhenThereAreSome) {
    const std::vector<ExitRow> rows = {
        {"clean", false, {MessageAnswer::Yes}, true, false},
        {"edited, not saved", true, {MessageAnswer::Yes, MessageAnswer::No}, true, false},
        {"edited, cancelled", true, {MessageAnswer::Yes, MessageAnswer::Cancel}, false, false},
        {"edited, saved", true, {MessageAnswer::Yes, MessageAnswer::Yes}, true, true},
    };
    for (const ExitRow& row : rows) {
        SCOPED_TRACE(row.name);
        openExample();
        if (row.edited) {
            typeInto(results().vapConc(2), QStringLiteral("120"));
            pressEnter(results().vapConc(2));
        }
        program.endCount = 0;
        messenger.shown.clear();
        for (const MessageAnswer answer : row.answers) {
            messenger.answer(answer);
        }
        const QString file = pathIn(QStringLiteral("%1.quandrelle").arg(row.name));
        dialogs.scriptFileName(file);
        results().cmdExit()->click();

        EXPECT_EQ(messenger.shown.size(), row.answers.size());
        EXPECT_EQ(messenger.unscripted, 0);
        EXPECT_EQ(program.endCount > 0, row.ends);
        EXPECT_EQ(QFile::exists(file), row.saved);
        if (!row.saved) {
            dialogs = ScriptedDialogRunner();
        }
    }
}

}  // namespace
}  // namespace quandrelle::testing
