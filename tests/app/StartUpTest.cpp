// Start-up and navigation among the opening screen, the About window and the data input screen.

#include <QRegularExpression>

#include "ScreenTest.h"
#include "quandrelle/ProgramInfo.h"
#include "quandrelle/app/About.h"
#include "quandrelle/app/Application.h"
#include "quandrelle/app/Opening.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/UseOneM.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle::testing {
namespace {

class StartUpTest : public ScreenTest {
protected:
    void SetUp() override {
        defineScreens(context);
        opening = &forms.form<Opening>(forms::kOpening);
        showAndActivate(forms::kOpening);
    }
    Opening* opening = nullptr;
};

TEST_F(StartUpTest, ASavedCalculationGivenAtStartOpensOnTheResultsScreen) {
    forms.UnloadAllForms();
    showFirstScreen(context, QStringLiteral(QUANDRELLE_EXAMPLES_DIR "/benzene-half-mask.json"));
    EXPECT_TRUE(forms.form(forms::kResults).isVisible());
    EXPECT_FALSE(forms.form(forms::kOpening).isVisible());
    EXPECT_EQ(state.vapors[1].chemName, "Benzene");

    forms.UnloadAllForms();
    showFirstScreen(context, QStringLiteral("/nonexistent/calculation.quandrelle"));
    EXPECT_TRUE(forms.form(forms::kOpening).isVisible());
    ASSERT_EQ(messenger.shown.size(), 1U);
    EXPECT_TRUE(messenger.shown[0].text.starts_with("The calculation /nonexistent/calculation.quandrelle"));
}

TEST_F(StartUpTest, TheOpeningScreenShowsTheProductAndItsVersion) {
    EXPECT_EQ(opening->productLabel()->text(), QStringLiteral("Quandrelle"));
    EXPECT_TRUE(opening->versionLabel()->text().startsWith(
        QStringLiteral("Version %1, %2\n")
            .arg(QString::fromUtf8(kProgramVersion), QString::fromUtf8(kReleaseMonth))));
    EXPECT_EQ(opening->aboutButton()->text(), QStringLiteral("About"));
    EXPECT_EQ(opening->exitButton()->text(), QStringLiteral("Exit"));
    EXPECT_EQ(opening->continueButton()->text(), QStringLiteral("Continue"));
    EXPECT_EQ(forms.OpenFormList(), std::vector<std::string>{"Opening"});
}

TEST_F(StartUpTest, ContinueStartsTheDataInputWithNoMixture) {
    state.mixCount = 4;
    opening->continueButton()->click();
    EXPECT_EQ(state.mixCount, 0);
    EXPECT_FALSE(opening->isVisible());
    auto& hub = forms.form<InputMasterFive>(forms::kInputMasterFive);
    EXPECT_TRUE(hub.isVisible());
    activate(hub);
    EXPECT_TRUE(hub.selectCartButton()->hasFocus());
}

TEST_F(StartUpTest, AboutAndBackAgain) {
    opening->aboutButton()->click();
    EXPECT_FALSE(opening->isVisible());
    auto& about = forms.form<About>(forms::kAbout);
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(about.windowTitle(), QStringLiteral(" About"));
    const QString text = about.textLabel()->text();
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("Quandrelle\nVersion ") + QString::fromUtf8(kProgramVersion) +
                        QStringLiteral("\n\nThis program can be used  to estimate breakthrough time(s) of\n"
                                       "one or a mixture of organic vapors through organic vapor air-\n"
                                       "purifying respirator cartridges at any humidity. It requires:\n"
                                       "1) parameters of the cartridge and the carbon it contains,\n"
                                       "2) physical characteristics of the vapor(s) present, and\n"
                                       "3) environmental and use conditions.\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("issue tracker")));

    about.returnButton()->click();
    EXPECT_FALSE(forms.isLoaded(forms::kAbout)) << "About is unloaded, not hidden";
    EXPECT_TRUE(opening->isVisible());
}

// The version and release month come from the build; they must be the kind of text the screens
// were laid out for.
TEST_F(StartUpTest, TheGeneratedVersionIsANumberedReleaseAndAMonth) {
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"))
                    .match(QString::fromUtf8(kProgramVersion))
                    .hasMatch())
        << kProgramVersion;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z][a-z]+ \\d{4}$"))
                    .match(QString::fromUtf8(kReleaseMonth))
                    .hasMatch())
        << kReleaseMonth;
}

TEST_F(StartUpTest, AboutTellsWhichFolderHoldsTheRecordFiles) {
    dataFolder = "/home/ih/.local/share/quandrelle/";
    opening->aboutButton()->click();
    const QString shown = forms.form<About>(forms::kAbout).recordsFolderLabel()->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("/home/ih/.local/share/quandrelle/"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("VaporB30.DB"))) << shown.toStdString();
}

TEST_F(StartUpTest, AboutShowsWhyTheRecordsFolderCannotBeUsed) {
    context.dataFolder = []() -> std::string {
        throw StoreError("/home/ih/.local/share/quandrelle/VaporB30.DB", "its folder cannot be created");
    };
    opening->aboutButton()->click();
    const QString shown = forms.form<About>(forms::kAbout).recordsFolderLabel()->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("cannot be created"))) << shown.toStdString();
}

TEST_F(StartUpTest, ClosingAboutThroughItsFrameIsReturn) {
    opening->aboutButton()->click();
    forms.form(forms::kAbout).close();
    EXPECT_FALSE(forms.isLoaded(forms::kAbout));
    EXPECT_TRUE(opening->isVisible());
}

TEST_F(StartUpTest, ExitAndClosingTheOpeningScreenEndAtOnce) {
    opening->exitButton()->click();
    EXPECT_EQ(program.endCount, 1);
    opening->close();
    EXPECT_EQ(program.endCount, 2);
    EXPECT_TRUE(messenger.shown.empty()) << "no question on the opening screen";
}

TEST_F(StartUpTest, FromTheOpeningThroughTheUseConditionsBackToTheHub) {
    opening->continueButton()->click();
    auto& hub = forms.form<InputMasterFive>(forms::kInputMasterFive);
    hub.selectUseButton()->click();
    auto& conditions = forms.form<UseOneM>(forms::kUseOneM);
    ASSERT_TRUE(conditions.isVisible());
    conditions.returnButton()->click();
    EXPECT_TRUE(hub.isVisible());
    EXPECT_EQ(state.atmPressure, 1.0f);
    EXPECT_EQ(forms.OpenFormList(), (std::vector<std::string>{"Opening", "InputMasterFive", "UseOneM"}));
}

}  // namespace
}  // namespace quandrelle::testing
