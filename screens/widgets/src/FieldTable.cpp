#include "quandrelle/screens/widgets/FieldTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

#include "quandrelle/screens/dialogs/Failure.h"
#include "quandrelle/validation/ValidDataEntry.h"

namespace quandrelle {

FieldTable::FieldTable(QWidget& screen, Messenger& messenger) : m_screen(screen), m_messenger(messenger) {}

void FieldTable::add(FieldRow row) {
    NumericLineEdit* field = row.field;
    m_rows.push_back(std::move(row));
    // Rows are looked up by field when the signal arrives: the vector may grow meanwhile.
    connect(field, &NumericLineEdit::enterPressed, this, [this, field] {
        if (const FieldRow* found = rowOf(field)) {
            onEnter(*found);
        }
    });
    connect(field, &NumericLineEdit::focusLost, this, [this, field] {
        if (const FieldRow* found = rowOf(field)) {
            onFocusLost(*found);
        }
    });
}

const FieldRow* FieldTable::rowOf(const QWidget* widget) const {
    for (const FieldRow& row : m_rows) {
        if (row.field == widget) {
            return &row;
        }
    }
    return nullptr;
}

const FieldRow* FieldTable::focusedRow() const {
    // The window's focus widget, which still names the field while a box of its check is open.
    return rowOf(m_screen.focusWidget());
}

bool FieldTable::check(const FieldRow& row) {
    if (m_checking) {
        // A message box of this very check is moving the activation: not a new attempt to leave.
        return false;
    }
    m_checking = true;
    bool accepted = false;
    try {
        accepted = row.check ? row.check() : ValidUserInput(row.field->entry(), row.limits, m_messenger);
        m_checking = false;
        if (accepted && row.onAccepted) {
            row.onAccepted();
        }
    } catch (const std::exception& failure) {
        m_checking = false;
        reportFailure(m_messenger, failure);
        accepted = false;
    }
    return accepted;
}

bool FieldTable::mayLeaveFocus() {
    const FieldRow* row = focusedRow();
    if (row == nullptr || !row->checkOnLeave) {
        return true;
    }
    return check(*row);
}

void FieldTable::onEnter(const FieldRow& row) {
    if (row.onEnter) {
        row.onEnter();
        return;
    }
    if (check(row) && row.next != nullptr) {
        row.next->setFocus(Qt::TabFocusReason);
    }
}

void FieldTable::onFocusLost(const FieldRow& row) {
    if (m_checking) {
        return;
    }
    if (row.onLostFocus) {
        row.onLostFocus();
    } else if (row.checkOnLostFocus) {
        check(row);
    }
}

void FieldTable::watchWindow(QWindow* window) {
    if (window == nullptr || window == m_window) {
        return;
    }
    if (m_window != nullptr) {
        m_window->removeEventFilter(this);
    }
    m_window = window;
    m_window->installEventFilter(this);
}

// A press on a control that takes the focus or acts on a click; a press on the window's background
// or on a label moves nothing and needs no check.
bool FieldTable::pressNeedsFocus(const QWidget* target) const {
    for (const QWidget* w = target; w != nullptr && w != &m_screen; w = w->parentWidget()) {
        if (!w->isEnabled()) {
            return false;
        }
        if ((w->focusPolicy() & Qt::ClickFocus) != 0 || qobject_cast<const QAbstractButton*>(w) != nullptr) {
            return true;
        }
    }
    return false;
}

bool FieldTable::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window ||
        (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)) {
        return QObject::eventFilter(watched, event);
    }
    const FieldRow* row = focusedRow();
    if (row == nullptr || !row->checkOnLeave) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    QWidget* target = m_screen.childAt(mouse->position().toPoint());
    if (target == nullptr || target == row->field || row->field->isAncestorOf(target) ||
        !pressNeedsFocus(target)) {
        return false;
    }
    // Swallowing the press keeps both the focus and the click where they were.
    return !check(*row);
}

}  // namespace quandrelle
