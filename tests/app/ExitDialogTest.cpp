// The "Information Incomplete" dialog, opened by a data screen left with input missing.

#include <QApplication>
#include <QTimer>

#include "ScreenTest.h"
#include "quandrelle/app/Application.h"
#include "quandrelle/app/ExitDialog.h"
#include "quandrelle/screens/framework/Form.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle::testing {
namespace {

// A data screen whose Return finds input missing.
class IncompleteScreen : public Form {
public:
    explicit IncompleteScreen(ScreenContext& context) : Form(context, QStringLiteral("Incomplete")) {}
    void returnWithInputMissing() { ShowIncompleteDialog(); }
};

const Message kQuitQuestion{"Are you sure you want to quit?", std::string(""), MessageButtons::YesNo,
                            MessageIcon::None};

class ExitDialogTest : public ScreenTest {
protected:
    void SetUp() override {
        defineScreens(context);
        forms.define("Incomplete", [this] { return std::make_unique<IncompleteScreen>(context); });
        screen = &forms.form<IncompleteScreen>("Incomplete");
        showAndActivate("Incomplete");
    }
    IncompleteScreen* screen = nullptr;
};

TEST_F(ExitDialogTest, ShowsItsTextsAndReturnBringsTheScreenBack) {
    dialogs.script([this](QDialog& d) {
        auto& dialog = dynamic_cast<ExitDialog&>(d);
        EXPECT_FALSE(screen->isVisible()) << "the screen hides while the dialog is open";
        EXPECT_EQ(dialog.headingLabel()->text(), QStringLiteral("Complete Information Required"));
        EXPECT_EQ(
            dialog.bodyLabel()->text(),
            QStringLiteral("This program requires the information requested on the previous screen. You can "
                           "either exit the program now, if you do not have the required information, or "
                           "return to the screen to enter the information."));
        EXPECT_EQ(dialog.returnButton()->text(), QStringLiteral("Return"));
        EXPECT_EQ(dialog.exitButton()->text(), QStringLiteral("Exit"));
        dialog.returnButton()->click();
        return dialog.result();
    });
    screen->returnWithInputMissing();
    EXPECT_EQ(dialogs.shownTitles, std::vector<QString>{"Information Incomplete"});
    EXPECT_TRUE(screen->isVisible());
    EXPECT_FALSE(forms.isLoaded(forms::kExitDialog)) << "Return unloads the dialog";
    EXPECT_EQ(program.endCount, 0);
}

TEST_F(ExitDialogTest, NoToTheQuestionKeepsTheDialogWithTheFocusOnReturn) {
    messenger.answer(MessageAnswer::No);
    dialogs.script([this](QDialog& dialog) {
        auto& exitDialog = dynamic_cast<ExitDialog&>(dialog);
        activate(dialog);
        exitDialog.exitButton()->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(exitDialog.returnButton()->hasFocus());
        exitDialog.returnButton()->click();
        return dialog.result();
    });
    screen->returnWithInputMissing();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], kQuitQuestion);
    EXPECT_EQ(program.endCount, 0);
    EXPECT_TRUE(screen->isVisible());
}

TEST_F(ExitDialogTest, YesUnloadsEveryScreenAndEndsTheProgram) {
    forms.ShowForm(forms::kInputMasterFive).hide();
    messenger.answer(MessageAnswer::Yes);
    dialogs.script([](QDialog& dialog) {
        dynamic_cast<ExitDialog&>(dialog).exitButton()->click();
        return dialog.result();
    });
    screen->returnWithInputMissing();
    EXPECT_EQ(program.endCount, 1);
    EXPECT_FALSE(forms.isLoaded("Incomplete"));
    EXPECT_FALSE(forms.isLoaded(forms::kInputMasterFive));
    EXPECT_FALSE(forms.isLoaded(forms::kExitDialog));
}

TEST_F(ExitDialogTest, EscapeOrTheWindowsCloseButtonIsReturn) {
    dialogs.script([](QDialog& dialog) {
        dialog.show();
        dialog.close();
        EXPECT_FALSE(dialog.isVisible());
        return dialog.result();
    });
    screen->returnWithInputMissing();
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(program.endCount, 0);
}

TEST_F(ExitDialogTest, TheRealModalRunEndsWhenReturnUnloadsTheDialog) {
    QtDialogRunner real;
    auto& dialog = forms.form<ExitDialog>(forms::kExitDialog);
    QTimer::singleShot(0, [&dialog] { dialog.returnButton()->click(); });
    real.runModal(dialog);  // a hang here fails on the test's timeout
    EXPECT_FALSE(forms.isLoaded(forms::kExitDialog));
}

}  // namespace
}  // namespace quandrelle::testing
