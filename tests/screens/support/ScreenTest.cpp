#include "ScreenTest.h"

#include <QApplication>
#include <QLineEdit>
#include <QWindow>

namespace quandrelle::testing {

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
