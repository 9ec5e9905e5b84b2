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
    switch (message.buttons) {
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::No);
            break;
        case MessageButtons::YesNoCancel:
            // Escape, or closing the box, takes nothing back: the question is asked again later.
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        default:
            return message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

}  // namespace quandrelle
