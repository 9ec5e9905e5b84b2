// The organic vapor data screen: its controls, the name box's change rules, searching and saving
// in the vapor file, Return into a slot of the calculation state, and failures of the file.

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <tuple>
#include <utility>

#include "DataScreenTest.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/screens/forms/frmVaporMulti.h"

namespace quandrelle::testing {
namespace {

std::string vaporBytes(const std::string& name, const std::vector<std::string>& numbers,
                       const std::string& cas) {
    std::string bytes = field(name, 35);
    for (const std::string& number : numbers) {
        bytes += field(number, 8);
    }
    return bytes + field(cas, 18);
}

const std::string kBenzene =
    vaporBytes("Benzene", {"78.11", "0.8765", "26.2", "0", "100", "15.9", "2788.5", "-52.36"}, "71-43-2");
const std::string kToluene =
    vaporBytes("Toluene", {"92.14", "0.8669", "31.1", "0", "50", "16.0", "3096.5", "-53.67"}, "108-88-3");
const std::string kAcetone =
    vaporBytes("acetone", {"58.08", "0.7899", "16.2", "1", "500", "16.6", "2940.5", "-35.93"}, "67-64-1");

class VaporScreenTest : public DataScreenTest {
protected:
    void SetUp() override {
        DataScreenTest::SetUp();
        temp.write("VaporB30.DB", kBenzene + kToluene + kAcetone);
        forms.define(forms::kVapor, [this] { return std::make_unique<frmVaporMulti>(context); });
    }

    // Opens the vapor screen for a slot the way the data input screen does.
    frmVaporMulti& openSlot(int slot) {
        hub->selectVapButton(slot)->click();
        auto& screen = forms.form<frmVaporMulti>(forms::kVapor);
        activate(screen);
        return screen;
    }

    static QStringList listed(const frmVaporMulti& screen) {
        QStringList items;
        for (int i = 0; i < screen.chemName()->count(); ++i) {
            items.append(screen.chemName()->itemText(i));
        }
        return items;
    }

    static QStringList texts(const frmVaporMulti& screen) {
        QStringList all;
        for (const NumericLineEdit* field : screen.numberFields()) {
            all.append(field->text());
        }
        all.append(screen.cas()->text());
        return all;
    }

    static void typeName(frmVaporMulti& screen, const QString& name) {
        screen.chemName()->setFocus(Qt::OtherFocusReason);
        screen.chemName()->lineEdit()->selectAll();
        QTest::keyClicks(screen.chemName()->lineEdit(), name);
    }

    void fillNumbers(frmVaporMulti& screen, const QStringList& numbers, const QString& cas) {
        for (std::size_t i = 0; i < screen.numberFields().size(); ++i) {
            typeInto(screen.numberFields()[i], numbers.at(static_cast<qsizetype>(i)));
            QTest::keyClick(screen.numberFields()[i], Qt::Key_Tab);
        }
        typeInto(screen.cas(), cas);
    }

    static QStringList benzeneTexts() {
        return {"78.11", "0.8765", "26.2", "0", "100", "15.9", "2788.5", "-52.36", "71-43-2"};
    }
};

QString padded(const QString& key) {
    return key.leftJustified(41, ' ');
}

TEST_F(VaporScreenTest, FirstLoadShowsEveryControlAsTheUserKnowsIt) {
    auto& screen = forms.form<frmVaporMulti>(forms::kVapor);
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("Organic Vapor Data"));
    EXPECT_EQ(screen.chemName()->currentText(), QStringLiteral("None Selected"));
    EXPECT_EQ(texts(screen), (QStringList{" ", " ", " ", " ", "", " ", " ", "", ""}));
    EXPECT_EQ(listed(screen), (QStringList{padded("ACETONE"), padded("BENZENE"), padded("TOLUENE")}));
    EXPECT_EQ(screen.exitButton()->text(), QStringLiteral("Return"));
    EXPECT_EQ(screen.searchButton()->text(), QStringLiteral(" Search for Data"));
    EXPECT_EQ(screen.saveButton()->text(), QStringLiteral("   Save     Entry in Database"));
    EXPECT_EQ(screen.clearButton()->text(), QStringLiteral("   Clear     Data"));
    EXPECT_EQ(screen.antoineA()->toolTip(), QStringLiteral("Enter parameter A "));
    EXPECT_EQ(screen.cas()->toolTip(),
              QStringLiteral("Enter the CAS number (can be used to search for data)."));
    EXPECT_EQ(screen.searchButton()->toolTip(),
              QStringLiteral("Search for data fields for the selected chemical name or CAS number"));
    EXPECT_EQ(screen.molPol()->accessibleName(), QStringLiteral("Molecular Polarizability"));
    EXPECT_EQ(screen.antoineB()->accessibleName(),
              QStringLiteral("Antoine Vapor Pressure Parameters (torr) B"));
    EXPECT_EQ(screen.saveButton()->accessibleName(), QStringLiteral("Save Entry in Database"));
    for (QWidget* widget : std::initializer_list<QWidget*>{screen.chemName(), screen.molWt(), screen.cas()}) {
        EXPECT_EQ(widget->palette().color(QPalette::Base), QColor(192, 192, 255));
    }
    EXPECT_EQ(screen.clearButton()->palette().color(QPalette::Button), QColor(192, 192, 255));
    EXPECT_EQ(screen.searchByCas(), 0);
}

// The name box reads out the name it holds; what the box is for comes from its "Name" label.
TEST_F(VaporScreenTest, TheNameBoxIsLabelledByItsNameLabelAndReadsOutItsName) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("Benzene"));
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(screen.chemName());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(QAccessible::Value), QStringLiteral("Benzene"));
    QStringList labels;
    for (const auto& [label, relation] : box->relations(QAccessible::Label)) {
        labels << label->text(QAccessible::Name);
    }
    EXPECT_EQ(labels, QStringList{QStringLiteral("Name")});
}

TEST_F(VaporScreenTest, TabVisitsNameNumbersButtonsCasAndThenTheMassConcentration) {
    auto& screen = forms.form<frmVaporMulti>(forms::kVapor);
    showAndActivate(forms::kVapor);
    screen.chemName()->setFocus(Qt::OtherFocusReason);
    std::vector<QWidget*> visited;
    for (int i = 0; i < 16; ++i) {
        visited.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    std::vector<QWidget*> expected = {screen.chemName()};
    for (NumericLineEdit* field : screen.numberFields()) {
        expected.push_back(field);
    }
    for (QWidget* button :
         std::initializer_list<QWidget*>{screen.exitButton(), screen.searchButton(), screen.saveButton(),
                                         screen.clearButton(), screen.cas(), screen.avgVapConcMass()}) {
        expected.push_back(button);
    }
    expected.push_back(screen.chemName());
    EXPECT_EQ(visited, expected);
}

TEST_F(VaporScreenTest, TheAverageConcentrationIsShownInMgPerCubicMetreAtTheUseConditions) {
    auto& screen = openSlot(1);
    fillNumbers(screen, benzeneTexts(), "71-43-2");
    // 100 x 78.11 / (296.15 x 0.08205) at the use conditions screen's 23 degrees C and 1.00 atm.
    EXPECT_EQ(screen.avgVapConcMass()->text(), "321.45") << "no use conditions given yet: their defaults";
    EXPECT_TRUE(
        screen.avgVapConcMass()->toolTip().contains("at 23 °C and 1.00 atm, the use conditions' defaults"));
    EXPECT_EQ(screen.avgVapConcMass()->accessibleName(), "Average Vapor Concentration (mg/m³)");

    state.atmPressure = 1;
    state.tempC = 25;
    screen.hide();
    screen.show();
    EXPECT_EQ(screen.avgVapConcMass()->text(), "319.3") << "100 ppm of benzene at 25 degrees C and 1 atm";
    EXPECT_TRUE(screen.avgVapConcMass()->toolTip().contains("at the temperature and pressure of the use"));
    typeInto(screen.avgVapConc(), "200abc");
    EXPECT_EQ(screen.avgVapConcMass()->text(), "638.59") << "follows as the user types";
    screen.molWt()->clear();
    EXPECT_EQ(screen.avgVapConcMass()->text(), "");
    typeInto(screen.molWt(), "78.11");
    typeInto(screen.avgVapConc(), "1e39");
    EXPECT_EQ(screen.avgVapConcMass()->text(), "") << "beyond single precision: nothing to show";
}

TEST_F(VaporScreenTest, TypingOneLetterEmptiesTheNineFieldsButPickingDoesNot) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("benzene"));
    clickThroughWindow(screen.searchButton());
    ASSERT_EQ(texts(screen), benzeneTexts());
    EXPECT_EQ(screen.chemName()->currentText(), QStringLiteral("Benzene")) << "the stored case is shown";

    // Picking a listed name is not an edit: the fields stay.
    screen.chemName()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(screen.chemName(), Qt::Key_Down);
    EXPECT_EQ(screen.chemName()->currentText(), padded("ACETONE"));
    EXPECT_EQ(texts(screen), benzeneTexts());

    QTest::keyClicks(screen.chemName()->lineEdit(), QStringLiteral("x"));
    EXPECT_EQ(texts(screen), (QStringList{"", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(screen.searchByCas(), 0);
}

TEST_F(VaporScreenTest, TheSearchModeFollowsWhichOfNameAndCasLostTheFocusLast) {
    auto& screen = openSlot(1);
    typeInto(screen.cas(), QStringLiteral("108-88-3"));
    screen.searchButton()->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(screen.searchByCas(), 1) << "the CAS field lost the focus last";
    clickThroughWindow(screen.searchButton());
    EXPECT_EQ(screen.chemName()->currentText(), QStringLiteral("Toluene"));
    EXPECT_EQ(screen.searchByCas(), 0) << "showing the record set the name";
    EXPECT_EQ(screen.molWt()->text(), QStringLiteral("92.14"));
    EXPECT_EQ(listed(screen), (QStringList{"TOLUENE"})) << "only the names found stay listed";

    // The CAS number typed, then the name box visited and left: a search by name.
    screen.chemName()->setEditText(QStringLiteral("acetone"));
    typeInto(screen.cas(), QStringLiteral("71-43-2"));
    screen.chemName()->setFocus(Qt::TabFocusReason);
    clickThroughWindow(screen.searchButton());
    EXPECT_EQ(screen.searchByCas(), 0);
    EXPECT_EQ(screen.chemName()->currentText(), QStringLiteral("acetone"));
    EXPECT_EQ(screen.cas()->text(), QStringLiteral("67-64-1"));
    EXPECT_EQ(listed(screen).size(), 3) << "a name search lists every name again";
}

TEST_F(VaporScreenTest, SearchesThatFindNothingSaySoAndChangeNoField) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral(" acet "));
    typeInto(screen.molWt(), QStringLiteral("1"));
    typeInto(screen.liqDensity(), QStringLiteral("1"));
    clickThroughWindow(screen.searchButton());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], box("Can't find ACET.", "Search for a Record"));
    EXPECT_EQ(screen.molWt()->text(), QStringLiteral("1"));
    EXPECT_EQ(screen.chemName()->currentText(), QStringLiteral(" acet "))
        << "the typed name stays to be corrected";

    typeInto(screen.cas(), QStringLiteral("71-43-2X"));
    clickThroughWindow(screen.searchButton());
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[1], box("Can't find 71-43-2X.", "Search for a Record"));
    EXPECT_EQ(screen.chemName()->currentText(), QString()) << "the CAS search empties the list and the name";
    EXPECT_EQ(screen.chemName()->count(), 0);
    EXPECT_EQ(screen.liqDensity()->text(), QStringLiteral("1"));
}

TEST_F(VaporScreenTest, ClearEmptiesEverythingAndOffersNoneSelected) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("Toluene"));
    clickThroughWindow(screen.searchButton());
    clickThroughWindow(screen.clearButton());
    EXPECT_EQ(texts(screen), (QStringList{"", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(screen.chemName()->currentText(), QStringLiteral("None Selected"));
    EXPECT_EQ(screen.chemName()->lineEdit()->selectedText(), QStringLiteral("None Selected"));
    EXPECT_TRUE(screen.chemName()->hasFocus());
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(VaporScreenTest, ReturnWithNoneSelectedLeavesTheSlotAndLowersTheMixture) {
    state.vapors[1].chemName = "Untouched";
    auto& screen = openSlot(1);
    ASSERT_EQ(state.mixCount, 1);
    typeName(screen, QStringLiteral("  none selected "));
    fillNumbers(screen, {"78", "0.9", "26", "0", "100", "15", "2000", "-50"}, QStringLiteral("71-43-2"));
    clickThroughWindow(screen.exitButton());
    EXPECT_EQ(state.mixCount, 0);
    EXPECT_EQ(state.vapors[1].chemName, "Untouched");
    EXPECT_EQ(state.vapors[1].molWt, 0.0f);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_TRUE(hub->isVisible());
    EXPECT_EQ(hub->vaporCaption(1), QStringLiteral("None Selected"));
    EXPECT_TRUE(dialogs.shownTitles.empty());
}

// The name box gets the focus from the program when the hub opens a slot; its rule (an empty box
// shows "None Selected" selected, which empties the nine fields) must hold however the window
// system delivers that focus.
TEST_F(VaporScreenTest, FocusOnOpeningANewSlotOffersNoneSelectedAndEmptiesTheFields) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("Benzene"));
    clickThroughWindow(screen.searchButton());
    clickThroughWindow(screen.exitButton());
    ASSERT_EQ(state.vapors[1].chemName, "Benzene");

    activate(*hub);
    clickThroughWindow(hub->selectVapButton(2));
    activate(screen);
    EXPECT_EQ(screen.chemName()->currentText(), QStringLiteral("None Selected"));
    EXPECT_EQ(screen.chemName()->lineEdit()->selectedText(), QStringLiteral("None Selected"));
    EXPECT_EQ(texts(screen), (QStringList{"", "", "", "", "", "", "", "", ""})) << "none of slot 1's numbers";
    clickThroughWindow(screen.exitButton());
    EXPECT_TRUE(dialogs.shownTitles.empty()) << "a slot left free asks for nothing";
    EXPECT_TRUE(hub->isVisible());
}

// A slot opened and left without a vapor is no row of the run: Calculate must not refuse the
// mixture for the empty row, and the slot can be opened again as the next free one.
TEST_F(VaporScreenTest, ASlotOpenedAndLeftFreeDropsOutOfTheVaporsOfTheRun) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("Benzene"));
    clickThroughWindow(screen.searchButton());
    clickThroughWindow(screen.exitButton());
    ASSERT_EQ(state.vaporCount, 1);

    activate(*hub);
    openSlot(2);
    EXPECT_EQ(state.vaporCount, 2);
    typeName(screen, QStringLiteral("None Selected"));
    clickThroughWindow(screen.exitButton());
    EXPECT_EQ(state.vaporCount, 1);
    EXPECT_EQ(state.mixCount, 1);
    const std::vector<BreakthroughRow> rowsShown = {{100, 10}, {0, 0}, {0, 0}, {0, 0}, {0, 0}};
    EXPECT_TRUE(withinBreakFractionLimits(state, rowsShown));
    EXPECT_TRUE(hub->selectVapButton(2)->isEnabled());
    EXPECT_FALSE(hub->selectVapButton(3)->isEnabled());

    activate(*hub);
    openSlot(2);
    EXPECT_EQ(state.vaporCount, 2) << "opened again as the next free slot";
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(VaporScreenTest, ReturnWithAMissingCasNumberOpensTheIncompleteDialog) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("Benzene"));
    clickThroughWindow(screen.searchButton());
    screen.cas()->clear();
    scriptIncompleteDialog(screen);
    clickThroughWindow(screen.exitButton());
    EXPECT_EQ(dialogs.shownTitles, (std::vector<QString>{"Information Incomplete"}));
    EXPECT_TRUE(hiddenWhileDialog);
    EXPECT_TRUE(screen.isVisible()) << "shown again once the dialog is closed";
    EXPECT_FALSE(hub->isVisible());
    EXPECT_EQ(state.vapors[1].molWt, 0.0f) << "nothing stored";
    EXPECT_EQ(state.mixCount, 1);
    EXPECT_EQ(screen.focusWidget(), screen.chemName());
    EXPECT_EQ(screen.molWt()->text(), QStringLiteral("78.11"));
}

TEST_F(VaporScreenTest, ReturnStoresTheTenValuesAndMovesToTheNextSlot) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("Benzene"));
    clickThroughWindow(screen.searchButton());
    typeInto(screen.molWt(), QStringLiteral("78.11abc"));
    QTest::keyClick(screen.molWt(), Qt::Key_Tab);
    EXPECT_TRUE(messenger.shown.empty()) << "78.11abc is accepted as 78.11";
    clickThroughWindow(screen.exitButton());

    const VaporData& vapor = state.vapors[1];
    EXPECT_EQ(vapor.chemName, "Benzene");
    EXPECT_EQ(vapor.molWt, 78.11f);
    EXPECT_EQ(vapor.liqDensity, 0.8765f);
    EXPECT_EQ(vapor.waterSolFactor, 0.0f);
    EXPECT_EQ(vapor.avgConc, 100.0f);
    EXPECT_EQ(vapor.antoineC, -52.36f);
    EXPECT_EQ(vapor.casNumber, "71-43-2");
    EXPECT_EQ(hub->vaporCaption(1), QStringLiteral("Benzene"));
    EXPECT_TRUE(hub->selectVapButton(2)->isEnabled());
    activate(*hub);
    EXPECT_TRUE(hub->selectVapButton(2)->hasFocus());
}

TEST_F(VaporScreenTest, ReturnFromSlotThreeFocusesVaporFourAndFromSlotFiveUseConditions) {
    for (int slot = 1; slot <= 2; ++slot) {
        state.vapors[slot].chemName = "V" + std::to_string(slot);
        nameVapor(slot, QString::fromStdString(state.vapors[slot].chemName));
    }
    state.vaporCount = 2;
    hub->ValidateButtons();
    for (int slot : {3, 4, 5}) {
        auto& screen = openSlot(slot);
        typeName(screen, QStringLiteral("Toluene"));
        clickThroughWindow(screen.searchButton());
        clickThroughWindow(screen.exitButton());
        activate(*hub);
        QWidget* expected =
            slot < 5 ? static_cast<QWidget*>(hub->selectVapButton(slot + 1)) : hub->selectUseButton();
        EXPECT_TRUE(expected->hasFocus()) << "slot " << slot;
        EXPECT_EQ(state.vapors[slot].molWt, 92.14f);
    }
}

TEST_F(VaporScreenTest, ANumberBeyondSinglePrecisionLeavesTheSlotUntouched) {
    temp.write("VaporB30.DB",
               vaporBytes("Odd", {"1e39", "0.8", "26", "0", "100", "15", "2000", "-50"}, "1-1-1") + kBenzene);
    state.vapors[1].chemName = "Before";
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("Odd"));
    clickThroughWindow(screen.searchButton());
    ASSERT_EQ(screen.molWt()->text(), QStringLiteral("1e39"));
    clickThroughWindow(screen.exitButton());
    ASSERT_EQ(messenger.shown.size(), 1u) << "the failure is reported";
    EXPECT_EQ(messenger.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(state.vapors[1].chemName, "Before") << "nothing half written";
    EXPECT_EQ(state.vapors[1].liqDensity, 0.0f);
    EXPECT_TRUE(screen.isVisible());
}

TEST_F(VaporScreenTest, ReopeningASlotShowsItsStoredValuesInSevenDigits) {
    VaporData& vapor = state.vapors[1];
    vapor.chemName = "Benzene";
    vapor.molWt = 78.11f;
    vapor.liqDensity = 0.4f;
    vapor.molPolariz = 26.2f;
    vapor.waterSolFactor = 0.5f;
    vapor.avgConc = 1000;
    vapor.antoineA = 15.9f;
    vapor.antoineB = 2788.5f;
    vapor.antoineC = -52.36f;
    vapor.casNumber = "71-43-2";
    state.vaporCount = 1;
    nameVapor(1, QStringLiteral("Benzene"));
    auto& screen = openSlot(1);
    EXPECT_EQ(screen.chemName()->currentText(), QStringLiteral("Benzene"));
    EXPECT_EQ(texts(screen),
              (QStringList{"78.11", "0.4", "26.2", "0.5", "1000", "15.9", "2788.5", "-52.36", "71-43-2"}));
    EXPECT_EQ(listed(screen).size(), 3);
}

TEST_F(VaporScreenTest, SavingANewVaporAppendsItAndShowsItAsStored) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("Styrene"));
    fillNumbers(screen, {"104.15678", "0.906", "36.4", "0", "20", "16.2", "3400", "-60"},
                QStringLiteral("100-42-5"));
    clickThroughWindow(screen.saveButton());
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(temp.read("VaporB30.DB").size(), 4u * 117);
    EXPECT_EQ(screen.molWt()->text(), QStringLiteral("104.1567")) << "cut to the field's 8 characters";
    EXPECT_EQ(screen.chemName()->currentText(), QStringLiteral("Styrene"));
    EXPECT_EQ(listed(screen).at(2), padded("STYRENE"));
    EXPECT_EQ(screen.store()->numVaporRecs(), 4);
}

TEST_F(VaporScreenTest, SavingANameOnFileAsksBeforeRevising) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("BENZENE"));
    clickThroughWindow(screen.searchButton());
    typeInto(screen.avgVapConc(), QStringLiteral("5"));
    const std::string before = temp.read("VaporB30.DB");

    messenger.answer(MessageAnswer::No);
    clickThroughWindow(screen.saveButton());
    const Message question =
        box("This chemical is already on file.\r\nDo you want to save \r\na revised record?",
            "Revise a Record", MessageButtons::YesNo);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], question);
    EXPECT_EQ(temp.read("VaporB30.DB"), before);

    messenger.answer(MessageAnswer::Yes);
    clickThroughWindow(screen.saveButton());
    EXPECT_EQ(messenger.shown.back(), question);
    const std::string after = temp.read("VaporB30.DB");
    EXPECT_EQ(after.substr(67, 8), field("5", 8));
    EXPECT_EQ(after.substr(117), before.substr(117)) << "no other record touched";
    EXPECT_EQ(screen.chemName()->currentText(), QStringLiteral("Benzene"));
}

TEST_F(VaporScreenTest, SavingWithoutANameIsRefused) {
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("   "));
    clickThroughWindow(screen.saveButton());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], box("Enter a chemical name.", "Add a Record"));
    EXPECT_EQ(temp.read("VaporB30.DB").size(), 3u * 117);
}

TEST_F(VaporScreenTest, AFileThatCannotBeOpenedIsReportedAndTriedAgainLater) {
    std::filesystem::remove(temp.file("VaporB30.DB"));
    std::filesystem::create_directory(temp.file("VaporB30.DB"));
    auto& screen = openSlot(1);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_NE(messenger.shown[0].text.find(temp.file("VaporB30.DB").string()), std::string::npos)
        << messenger.shown[0].text;
    EXPECT_EQ(screen.store(), nullptr);
    EXPECT_EQ(screen.chemName()->count(), 0);

    // The screen stays usable: the user can still type a vapor and return with it.
    typeName(screen, QStringLiteral("Styrene"));
    fillNumbers(screen, {"104.15", "0.906", "36.4", "0", "20", "16.2", "3400", "-60"},
                QStringLiteral("100-42-5"));
    clickThroughWindow(screen.saveButton());
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[1].title, std::optional<std::string>("Add a Record"));
    EXPECT_EQ(screen.molWt()->text(), QStringLiteral("104.15")) << "nothing typed is lost";

    std::filesystem::remove(temp.file("VaporB30.DB"));
    clickThroughWindow(screen.saveButton());
    EXPECT_EQ(messenger.shown.size(), 2u) << "the file opens once the cause is gone";
    EXPECT_EQ(temp.read("VaporB30.DB").size(), 117u);
    clickThroughWindow(screen.exitButton());
    EXPECT_EQ(state.vapors[1].chemName, "Styrene");
}

// --- Typing the concentration in mg/m3 ---

TEST_F(VaporScreenTest, MgPerCubicMetreTypedIsEnteredAsItsPpmTyped) {
    state.atmPressure = 1;
    state.tempC = 25;
    auto& screen = openSlot(1);
    typeName(screen, QStringLiteral("Benzene"));
    fillNumbers(screen, benzeneTexts(), "71-43-2");
    typeInto(screen.avgVapConcMass(), "319.3");
    pressEnter(screen.avgVapConcMass());
    EXPECT_EQ(screen.avgVapConc()->text(), "100.0013");
    EXPECT_EQ(screen.focusWidget(), screen.antoineA()) << "Enter moves on as in the ppm field";
    clickThroughWindow(screen.exitButton());
    EXPECT_EQ(std::bit_cast<std::uint32_t>(state.vapors[1].avgConc), std::bit_cast<std::uint32_t>(100.0013f));
    EXPECT_TRUE(messenger.shown.empty());
}

// Refused with the ppm field's messages: the ppm keeps its entry, the mass field the focus and the
// figure to correct; emptied, it lets the focus go. Without use conditions or a molecular weight a
// Note says why.
TEST_F(VaporScreenTest, AMassConcentrationIsRefusedAsItsPpmWouldBe) {
    state.atmPressure = 1;
    state.tempC = 23;
    auto& screen = openSlot(1);
    fillNumbers(screen, benzeneTexts(), "71-43-2");
    for (const auto& [typed, message] : std::vector<std::pair<QString, std::string>>{
             {"1e6", "This entry must be less than or equal to 100,000 "},
             {"0", "This entry must not equal zero "}}) {
        messenger.shown.clear();
        typeInto(screen.avgVapConcMass(), typed);
        QTest::keyClick(screen.avgVapConcMass(), Qt::Key_Tab);
        ASSERT_EQ(messenger.shown.size(), 1u);
        EXPECT_EQ(messenger.shown[0], box(message, "Invalid Entry"));
        EXPECT_EQ(screen.focusWidget(), screen.avgVapConcMass());
        EXPECT_EQ(screen.avgVapConc()->text(), "100");
        EXPECT_EQ(screen.avgVapConcMass()->text(), typed);
        activate(screen);
    }
    screen.avgVapConcMass()->clear();
    QTest::keyClick(screen.avgVapConcMass(), Qt::Key_Tab);
    EXPECT_NE(screen.focusWidget(), screen.avgVapConcMass());
    EXPECT_EQ(screen.avgVapConcMass()->text(), "321.45") << "the ppm kept, in mg/m³";

    messenger.shown.clear();
    state.atmPressure = 0;
    typeInto(screen.avgVapConcMass(), "300");
    pressEnter(screen.avgVapConcMass());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_NE(messenger.shown[0].text.find("no use conditions have been accepted yet"), std::string::npos);
    EXPECT_EQ(screen.avgVapConc()->text(), "100");
    state.atmPressure = 1;

    messenger.shown.clear();
    activate(screen);
    screen.molWt()->clear();
    typeInto(screen.avgVapConcMass(), "300");
    pressEnter(screen.avgVapConcMass());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].title, std::optional<std::string>("Note"));
    EXPECT_NE(messenger.shown[0].text.find("molecular weight"), std::string::npos);
}

// --- Where the vapor's data came from ---

// The library is credited while its properties stand unchanged (the concentration is the user's
// own); a reopened slot keeps the source it had on the same terms.
TEST_F(VaporScreenTest, TheLibraryIsCreditedOnlyWhileItsPropertiesAreUnchanged) {
    const std::string credit = "vapor library " + temp.file("VaporB30.DB").string() + ", record \"Benzene\"";
    const std::vector<std::tuple<NumericLineEdit* (frmVaporMulti::*)() const, QString, std::string>> rows = {
        {&frmVaporMulti::avgVapConc, "250", credit},
        {nullptr, "", credit},  // reopened and left unchanged
        {&frmVaporMulti::molWt, "78.2", ""},
        {&frmVaporMulti::cas, "71-43-3", ""},
    };
    for (const auto& [field, text, expected] : rows) {
        auto& screen = openSlot(1);
        if (field != nullptr) {
            typeName(screen, QStringLiteral("Benzene"));
            clickThroughWindow(screen.searchButton());
            typeInto((screen.*field)(), text);
        }
        clickThroughWindow(screen.exitButton());
        EXPECT_EQ(state.vapors[1].dataSource, expected) << text.toStdString();
    }
    EXPECT_TRUE(messenger.shown.empty());
}

}  // namespace
}  // namespace quandrelle::testing
