// The single-instance screens and the list of open screens.

#include <QPointer>
#include <QWidget>
#include <stdexcept>

#include "ScreenTest.h"

namespace quandrelle::testing {
namespace {

class CountingScreen : public QWidget {
public:
    explicit CountingScreen(int& loads) { ++loads; }
};

class FormRegistryTest : public ScreenTest {
protected:
    void SetUp() override {
        forms.define("First", [this] { return std::make_unique<CountingScreen>(firstLoads); });
        forms.define("Second", [this] { return std::make_unique<CountingScreen>(secondLoads); });
    }
    int firstLoads = 0;
    int secondLoads = 0;
};

TEST_F(FormRegistryTest, AScreenIsLoadedOnFirstReferenceAndListedWhenShown) {
    EXPECT_FALSE(forms.isLoaded("First"));
    QWidget& referenced = forms.form("First");
    EXPECT_EQ(firstLoads, 1);
    EXPECT_FALSE(forms.FormIsListed("First")) << "a reference alone does not list it";

    QWidget& shown = forms.ShowForm("First");
    EXPECT_EQ(&shown, &referenced) << "one instance per name";
    EXPECT_TRUE(shown.isVisible());
    EXPECT_TRUE(forms.FormIsListed("First"));
    forms.ShowForm("First");
    EXPECT_EQ(firstLoads, 1);
    EXPECT_EQ(forms.OpenFormList(), std::vector<std::string>{"First"});
}

TEST_F(FormRegistryTest, HidingKeepsTheScreenLoaded) {
    QWidget& screen = forms.ShowForm("First");
    screen.setWindowTitle(QStringLiteral("kept"));
    screen.hide();
    EXPECT_EQ(forms.ShowForm("First").windowTitle(), QStringLiteral("kept"));
    EXPECT_EQ(firstLoads, 1);
}

TEST_F(FormRegistryTest, UnloadingListsAnUnlistedScreenAndReportsIt) {
    EXPECT_TRUE(forms.UnloadForm("Second")) << "never shown: added to the list first";
    EXPECT_TRUE(forms.FormIsListed("Second"));
    EXPECT_FALSE(forms.UnloadForm("Second"));
    EXPECT_EQ(secondLoads, 0) << "unloading a screen never loaded does not load it";
}

TEST_F(FormRegistryTest, AnUnloadedScreenLoadsAfreshWhenShownAgain) {
    forms.ShowForm("First").setWindowTitle(QStringLiteral("old"));
    forms.UnloadForm("First");
    EXPECT_FALSE(forms.isLoaded("First"));
    QWidget& again = forms.ShowForm("First");
    EXPECT_EQ(firstLoads, 2);
    EXPECT_TRUE(again.windowTitle().isEmpty());
    EXPECT_EQ(forms.OpenFormList().size(), 1u) << "entries are never listed twice";
}

TEST_F(FormRegistryTest, UnloadAllUnloadsEveryListedScreenInListOrder) {
    forms.ShowForm("Second");
    forms.ShowForm("First");
    forms.UnloadAllForms();
    EXPECT_FALSE(forms.isLoaded("First"));
    EXPECT_FALSE(forms.isLoaded("Second"));
    EXPECT_EQ(forms.OpenFormList(), (std::vector<std::string>{"Second", "First"}));
}

TEST_F(FormRegistryTest, NamesAreExactAndUnknownNamesAreRefused) {
    EXPECT_FALSE(forms.FormIsListed("First"));
    forms.ShowForm("First");
    EXPECT_FALSE(forms.FormIsListed("first"));
    EXPECT_FALSE(forms.isDefined("Third"));
    EXPECT_THROW(forms.ShowForm("Third"), std::out_of_range);
}

TEST_F(FormRegistryTest, AScreenMayUnloadItselfFromItsOwnHandler) {
    QWidget& screen = forms.ShowForm("First");
    QPointer<QWidget> watch(&screen);
    forms.UnloadForm("First");
    EXPECT_FALSE(screen.isVisible()) << "hidden at once";
    ASSERT_FALSE(watch.isNull()) << "destroyed only once control is back in the event loop";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}

}  // namespace
}  // namespace quandrelle::testing
