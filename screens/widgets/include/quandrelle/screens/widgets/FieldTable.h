#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

#include "quandrelle/screens/widgets/NumericLineEdit.h"
#include "quandrelle/validation/Messenger.h"
#include "quandrelle/validation/NumericField.h"

class QWindow;

namespace quandrelle {

// One numeric field of a screen, declared as data. The defaults give the common behaviour: Enter
// checks the entry and, when it is accepted, moves the focus to `next`; the focus may leave the
// field only when its entry is accepted. A screen may vary Enter and the loss of the focus.
struct FieldRow {
    NumericLineEdit* field = nullptr;
    FieldLimits limits{};
    // Where Enter sends the focus after an accepted entry; none keeps the focus in the field.
    QWidget* next = nullptr;
    // Runs after every accepted check of the field (on Enter, on leaving, after losing the focus).
    std::function<void()> onAccepted{};
    // Check before the focus leaves, holding the focus in the field on a rejection.
    bool checkOnLeave = true;
    // Check once more after the focus has left.
    bool checkOnLostFocus = false;
    // Replace the Enter and lost-focus behaviour entirely (fields with their own rules).
    std::function<void()> onEnter{};
    std::function<void()> onLostFocus{};
    // Replaces the check against the limits, for a field whose entry is judged by another rule (a
    // twin field that enters its value into another field, with that field's limits): true when
    // the entry is accepted. It may show message boxes, as the limits check does.
    std::function<bool()> check{};
};

// The numeric fields of one screen and the gate in front of them: nothing moves the focus out of a
// field whose entry is rejected, and nothing the user clicks meanwhile is pressed. Qt has no
// cancellable "about to leave" event, so the gate is kept at the three doors the focus can leave by:
// the screen's focusNextPrevChild (Tab, Shift+Tab), a filter on the window for mouse presses, and
// every command handler (shortcuts, closing the window) asking mayLeaveFocus() first.
class FieldTable : public QObject {
    Q_OBJECT
public:
    FieldTable(QWidget& screen, Messenger& messenger);

    void add(FieldRow row);
    const FieldRow* rowOf(const QWidget* widget) const;

    // Runs the entry check of the field that has the focus, if it asks for one; true when the
    // focus may leave it (and then the field's accepted steps have run).
    bool mayLeaveFocus();
    // Runs the entry check of one field with its limits and, when accepted, its accepted steps.
    bool check(const FieldRow& row);

    // Watches the screen's window for mouse presses; call once the window exists (after show).
    void watchWindow(QWindow* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onEnter(const FieldRow& row);
    void onFocusLost(const FieldRow& row);
    bool pressNeedsFocus(const QWidget* target) const;
    const FieldRow* focusedRow() const;

    QWidget& m_screen;
    Messenger& m_messenger;
    std::vector<FieldRow> m_rows;
    QPointer<QWindow> m_window;
    bool m_checking = false;
};

}  // namespace quandrelle
