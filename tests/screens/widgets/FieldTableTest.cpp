// The numeric field toolkit: Enter, the gate before the focus leaves a rejected entry (Tab, a click
// through the window, commands, closing), and the results-screen variants of a row.

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "ScreenTest.h"
#include "quandrelle/screens/framework/Form.h"
#include "quandrelle/screens/widgets/BusyCursor.h"

namespace quandrelle::testing {
namespace {

const FieldLimits kWeight{2, 1000, "2", "1,000"};
const FieldLimits kTemperature{0, 75, "0", "75"};

class TwoFieldForm : public Form {
public:
    explicit TwoFieldForm(ScreenContext& context) : Form(context, QStringLiteral("Two Fields")) {
        weight = new NumericLineEdit(this);
        temperature = new NumericLineEdit(this);
        go = new QPushButton(QStringLiteral("Go"), this);
        failing = new QPushButton(QStringLiteral("Fail"), this);
        note = new QLabel(QStringLiteral("A label"), this);
        auto* layout = new QVBoxLayout(this);
        for (QWidget* w :
             {static_cast<QWidget*>(weight), static_cast<QWidget*>(temperature), static_cast<QWidget*>(go),
              static_cast<QWidget*>(failing), static_cast<QWidget*>(note)}) {
            layout->addWidget(w);
        }
        addField({.field = weight,
                  .limits = kWeight,
                  .next = temperature,
                  .onAccepted = [this] { ++weightStored; }},
                 QStringLiteral("Weight"));
        addField({.field = temperature, .limits = kTemperature, .next = go}, QStringLiteral("Temperature"));
        onCommand(go, [this] { ++goPressed; });
        onCommand(failing, [] { throw std::runtime_error("disk full"); });
    }

    void closeRequested() override { ++closeRequests; }

    NumericLineEdit* weight;
    NumericLineEdit* temperature;
    QPushButton* go;
    QPushButton* failing;
    QLabel* note;
    int weightStored = 0;
    int goPressed = 0;
    int closeRequests = 0;
};

class FieldTableTest : public ScreenTest {
protected:
    void SetUp() override {
        forms.define("TwoFields", [this] { return std::make_unique<TwoFieldForm>(context); });
        screen = &forms.form<TwoFieldForm>("TwoFields");
        showAndActivate("TwoFields");
    }

    // A rejected weight in the focused field: 1001 is above its upper limit.
    void enterRejectedWeight() {
        typeInto(screen->weight, QStringLiteral("1001"));
        ASSERT_TRUE(screen->weight->hasFocus());
    }

    static Message upperLimitMessage(const std::string& text) {
        return Message{"This entry must be less than or equal to " + text + " ", std::string("Invalid Entry"),
                       MessageButtons::Ok, MessageIcon::None};
    }

    TwoFieldForm* screen = nullptr;
};

TEST_F(FieldTableTest, EnterOnAnAcceptedEntryMovesToTheNextFieldAndRunsItsSteps) {
    typeInto(screen->weight, QStringLiteral("78.11"));
    pressEnter(screen->weight);
    EXPECT_TRUE(screen->temperature->hasFocus());
    EXPECT_EQ(screen->weightStored, 1);
    EXPECT_TRUE(messenger.shown.empty());

    typeInto(screen->temperature, QStringLiteral("25"));
    pressEnter(screen->temperature);
    EXPECT_TRUE(screen->go->hasFocus());
    EXPECT_EQ(screen->goPressed, 0) << "Enter moves to the button without pressing it";
}

TEST_F(FieldTableTest, EitherEnterKeyWithAnyModifierChecks) {
    typeInto(screen->weight, QStringLiteral("50"));
    QTest::keyClick(screen->weight, Qt::Key_Enter, Qt::KeypadModifier | Qt::ShiftModifier);
    EXPECT_TRUE(screen->temperature->hasFocus());
    typeInto(screen->temperature, QStringLiteral("80"));
    QTest::keyClick(screen->temperature, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], upperLimitMessage("75"));
}

TEST_F(FieldTableTest, EnterOnARejectedEntryExplainsAndKeepsTheFocus) {
    enterRejectedWeight();
    pressEnter(screen->weight);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], upperLimitMessage("1,000"));
    EXPECT_TRUE(screen->weight->hasFocus());
    EXPECT_EQ(screen->weight->text(), QStringLiteral("1001"));
    EXPECT_EQ(screen->weightStored, 0);
}

TEST_F(FieldTableTest, TabAndShiftTabDoNotLeaveARejectedEntry) {
    enterRejectedWeight();
    QTest::keyClick(screen->weight, Qt::Key_Tab);
    EXPECT_TRUE(screen->weight->hasFocus());
    QTest::keyClick(screen->weight, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(screen->weight->hasFocus());
    EXPECT_EQ(messenger.shown.size(), 2u);

    typeInto(screen->weight, QStringLiteral("1000"));
    QTest::keyClick(screen->weight, Qt::Key_Tab);
    EXPECT_TRUE(screen->temperature->hasFocus()) << "a value equal to the limit leaves";
    EXPECT_EQ(screen->weightStored, 1);
}

TEST_F(FieldTableTest, AClickThroughTheWindowIsSwallowedWhileTheEntryIsRejected) {
    enterRejectedWeight();
    clickThroughWindow(screen->go);
    EXPECT_EQ(screen->goPressed, 0);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0], upperLimitMessage("1,000"));
    activate(*screen);
    EXPECT_TRUE(screen->weight->hasFocus());

    // Into another field as well.
    clickThroughWindow(screen->temperature);
    activate(*screen);
    EXPECT_TRUE(screen->weight->hasFocus());

    typeInto(screen->weight, QStringLiteral("12"));
    clickThroughWindow(screen->go);
    EXPECT_EQ(screen->goPressed, 1);
    EXPECT_EQ(screen->weightStored, 1);
}

TEST_F(FieldTableTest, ClicksThatMoveNothingAreNotChecked) {
    enterRejectedWeight();
    clickThroughWindow(screen->note);
    clickThroughWindow(screen->weight);
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_TRUE(screen->weight->hasFocus());
}

TEST_F(FieldTableTest, ACommandDoesNotRunWhileTheFocusedEntryIsRejected) {
    enterRejectedWeight();
    screen->go->click();  // as a keyboard shortcut or the default button would
    EXPECT_EQ(screen->goPressed, 0);
    EXPECT_EQ(messenger.shown.size(), 1u);
}

TEST_F(FieldTableTest, ClosingTheWindowWaitsForTheFocusedEntry) {
    enterRejectedWeight();
    screen->close();
    EXPECT_EQ(screen->closeRequests, 0);
    EXPECT_TRUE(screen->isVisible());

    typeInto(screen->weight, QStringLiteral("5"));
    screen->close();
    EXPECT_EQ(screen->closeRequests, 1);
    EXPECT_TRUE(screen->isVisible()) << "the screen decides what closing means";
}

TEST_F(FieldTableTest, AFailingCommandIsReportedAndTheScreenStays) {
    screen->failing->click();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "Unexpected failure: disk full");
    EXPECT_EQ(messenger.shown[0].title, std::nullopt);
    EXPECT_EQ(messenger.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(screen->isVisible());
}

TEST_F(FieldTableTest, TheChangedFlagFollowsEveryChangeAndFocusSelectsAll) {
    EXPECT_FALSE(screen->weight->dataChanged());
    screen->weight->setText(QStringLiteral("12"));
    EXPECT_TRUE(screen->weight->dataChanged()) << "set by the program counts as changed";

    screen->temperature->setFocus(Qt::MouseFocusReason);
    screen->weight->setText(QStringLiteral("345"));
    screen->weight->setDataChanged(false);
    QTest::mouseClick(screen->weight, Qt::LeftButton, {}, QPoint(2, 2));
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen->weight->hasFocus());
    EXPECT_EQ(screen->weight->selectedText(), QStringLiteral("345"));
    EXPECT_FALSE(screen->weight->dataChanged());
    QTest::keyClicks(screen->weight, QStringLiteral("7"));
    EXPECT_EQ(screen->weight->text(), QStringLiteral("7"));
    EXPECT_TRUE(screen->weight->dataChanged());
}

TEST_F(FieldTableTest, FieldsCarryTheNamesOfTheirLabels) {
    EXPECT_EQ(screen->weight->accessibleName(), QStringLiteral("Weight"));
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Two Fields"));
    EXPECT_EQ(rowAccessibleName(QStringLiteral("Vapor Concentrations (ppm)"), 2),
              QStringLiteral("Vapor Concentrations (ppm) 2"));
}

// The results screen's variant: Enter checks without moving on, a check also runs after the
// focus has left, and some fields replace Enter and the lost focus by their own steps.
class VariantForm : public Form {
public:
    explicit VariantForm(ScreenContext& context) : Form(context, QStringLiteral("Variants")) {
        pressure = new NumericLineEdit(this);
        breakConc = new NumericLineEdit(this);
        other = new QPushButton(QStringLiteral("Other"), this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(pressure);
        layout->addWidget(breakConc);
        layout->addWidget(other);
        addField({.field = pressure,
                  .limits = FieldLimits{0.5, 1.5, "0.5", "1.5"},
                  .onAccepted = [this] { ++pressureStored; },
                  .checkOnLostFocus = true},
                 QStringLiteral("Atmospheric Pressure (atm)"));
        addField({.field = breakConc,
                  .checkOnLeave = false,
                  .onEnter = [this] { other->setFocus(); },
                  .onLostFocus = [this] { ++breakConcLeft; }},
                 QStringLiteral("Breakthrough Concentrations (ppm) 1"));
    }
    NumericLineEdit* pressure;
    NumericLineEdit* breakConc;
    QPushButton* other;
    int pressureStored = 0;
    int breakConcLeft = 0;
};

class VariantTest : public ScreenTest {
protected:
    void SetUp() override {
        forms.define("Variants", [this] { return std::make_unique<VariantForm>(context); });
        screen = &forms.form<VariantForm>("Variants");
        showAndActivate("Variants");
    }
    VariantForm* screen = nullptr;
};

TEST_F(VariantTest, EnterWithoutANextFieldChecksAndStays) {
    typeInto(screen->pressure, QStringLiteral("1.2"));
    pressEnter(screen->pressure);
    EXPECT_TRUE(screen->pressure->hasFocus());
    EXPECT_EQ(screen->pressureStored, 1);
}

TEST_F(VariantTest, AnAcceptedEntryIsCheckedAgainAfterTheFocusLeft) {
    typeInto(screen->pressure, QStringLiteral("1.2"));
    QTest::keyClick(screen->pressure, Qt::Key_Tab);
    EXPECT_TRUE(screen->breakConc->hasFocus());
    EXPECT_EQ(screen->pressureStored, 2) << "once before leaving, once after";
}

TEST_F(VariantTest, AFieldWithItsOwnStepsIsNeverHeld) {
    typeInto(screen->breakConc, QStringLiteral("-5"));
    pressEnter(screen->breakConc);
    EXPECT_TRUE(screen->other->hasFocus());
    EXPECT_EQ(screen->breakConcLeft, 1);
    EXPECT_TRUE(messenger.shown.empty());
}

TEST(BusyCursorTest, RestoresTheDefaultPointerOnEveryWayOut) {
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    try {
        BusyCursor busy;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        throw std::runtime_error("a run failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    { BusyCursor busy; }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace quandrelle::testing
