#include "quandrelle/screens/widgets/NameComboBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace quandrelle {

NameComboBox::NameComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completing a name as it is typed would put a listed name, with its filling blanks, into the
    // box without the user picking it.
    setCompleter(nullptr);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(30);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { emit typed(); });
    connect(this, &QComboBox::activated, this, [this] { emit picked(); });
}

void NameComboBox::setTextByProgram(const QString& text) {
    setEditText(text);
    emit programSet();
}

void NameComboBox::replaceItems(const QStringList& items, bool keepText) {
    const QString text = currentText();
    const QSignalBlocker blocker(this);
    clear();
    addItems(items);
    // No item is current, so the text shown is the one chosen here, not the first name listed.
    setCurrentIndex(-1);
    setEditText(keepText ? text : QString());
}

void NameComboBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The box would otherwise pick a listed name equal to the text.
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void NameComboBox::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        emit gotFocus();
    }
}

void NameComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        emit lostFocus();
    }
}

}  // namespace quandrelle
