#include "quandrelle/screens/dialogs/QtMessenger.h"

#include <QApplication>
#include <QMessageBox>

namespace quandrelle {

MessageAnswer QtMessenger::show(const Message& message) {
    // Built by hand rather than with the static helpers, which choose an icon and a title of
    // their own.
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(message.title ? QString::fromStdString(*message.title)
                                     : QApplication::applicationDisplayName());
    box.setText(QString::fromStdString(message.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(message.icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon);
    if (message.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (message.buttons == MessageButtons::YesNo) {
        return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    return MessageAnswer::Ok;
}

}  // namespace quandrelle
