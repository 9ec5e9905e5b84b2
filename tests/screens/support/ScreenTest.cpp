#include "ScreenTest.h"

#include <QApplication>
#include <QLineEdit>
#include <QWindow>
#include <cstdlib>

#include "quandrelle/screens/forms/BreakTimeFive.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/LimitsMessage.h"
#include "quandrelle/screens/forms/UseOneM.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle::testing {

void ScreenTest::defineResultsRoad() {
    forms.define(forms::kInputMasterFive, [this] { return std::make_unique<InputMasterFive>(context); });
    forms.define(forms::kUseOneM, [this] { return std::make_unique<UseOneM>(context); });
    forms.define(forms::kResults, [this] { return std::make_unique<BreakTimeFive>(context); });
    forms.define(forms::kLimitsMessage, [this] { return std::make_unique<LimitsMessage>(context); });
}

void ScreenTest::saveScreenshotIfAsked(QWidget& window, const char* variable) {
    if (const char* file = std::getenv(variable)) {
        // The layout settles on the events a just-finished step posted, as it does on a desktop.
        QCoreApplication::processEvents();
        EXPECT_TRUE(window.grab().save(QString::fromLocal8Bit(file))) << file;
    }
}

void ScreenTest::TearDown() {
    forms.UnloadAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QWidget& ScreenTest::showAndActivate(const std::string& name) {
    QWidget& screen = forms.ShowForm(name);
    activate(screen);
    return screen;
}

void ScreenTest::activate(QWidget& window) {
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

void ScreenTest::clickThroughWindow(QWidget* target) {
    QWidget* top = target->window();
    const QPoint inWindow = target->mapTo(top, target->rect().center());
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, inWindow);
}

void ScreenTest::typeInto(QWidget* field, const QString& text) {
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->selectAll();
    }
    QTest::keyClicks(field, text);
}

void ScreenTest::pressEnter(QWidget* field) {
    QTest::keyClick(field, Qt::Key_Return);
}

void ScreenTest::nameVapor(int slot, const QString& name) {
    state.vapors[slot].chemName = name.toStdString();
    emit document.vaporChanged(slot);
}

void ScreenTest::nameCartridge(const QString& name) {
    state.cartName = name.toStdString();
    emit document.cartridgeChanged();
}

}  // namespace quandrelle::testing
