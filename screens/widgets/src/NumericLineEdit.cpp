#include "quandrelle/screens/widgets/NumericLineEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

namespace quandrelle {

NumericLineEdit::NumericLineEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { m_dataChanged = true; });
}

void NumericLineEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (!m_selectAllOnFocus || event->reason() == Qt::ActiveWindowFocusReason ||
        event->reason() == Qt::PopupFocusReason) {
        return;
    }
    selectAll();
    // A mouse click that gave the focus places the caret right after this event; select again
    // once the click has been handled so that typing still replaces the whole value.
    if (event->reason() == Qt::MouseFocusReason) {
        QTimer::singleShot(0, this, [this] {
            if (hasFocus()) {
                selectAll();
            }
        });
    }
}

void NumericLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A message box opened by the entry check takes the activation, not the focus: the field
    // still owns the focus of its window and nothing has left it.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        emit focusLost();
    }
}

void NumericLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit enterPressed();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

std::string NumericLineEdit::Entry::text() const {
    return m_edit.text().toStdString();
}

void NumericLineEdit::Entry::setText(const std::string& text) {
    m_edit.setText(QString::fromStdString(text));
}

void NumericLineEdit::Entry::setSelection(int start, int length) {
    m_edit.setSelection(start, length);
}

}  // namespace quandrelle
