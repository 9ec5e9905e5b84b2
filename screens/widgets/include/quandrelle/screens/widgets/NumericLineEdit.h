#pragma once

#include <QLineEdit>

#include "quandrelle/validation/NumericField.h"

namespace quandrelle {

// A single-line numeric entry. It keeps the changed flag the entry check relies on (turned on by
// every change of the text, typed or set by the program), selects its whole text when it gets the
// focus so that typing replaces the old value, and reports Enter (either Enter key, any modifier)
// instead of acting on it, so that the screen decides what Enter means.
class NumericLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumericLineEdit(QWidget* parent = nullptr);

    // The view of this field that the entry check works on.
    NumericField& entry() { return m_entry; }

    bool dataChanged() const { return m_dataChanged; }
    void setDataChanged(bool changed) { m_dataChanged = changed; }

    // Whether getting the focus selects the whole text (on by default).
    void setSelectAllOnFocus(bool on) { m_selectAllOnFocus = on; }

signals:
    void enterPressed();
    // The focus has gone elsewhere; not emitted when only the window lost the activation.
    void focusLost();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Entry : public NumericField {
    public:
        explicit Entry(NumericLineEdit& edit) : m_edit(edit) {}
        std::string text() const override;
        void setText(const std::string& text) override;
        void setSelection(int start, int length) override;
        bool dataChanged() const override { return m_edit.m_dataChanged; }
        void setDataChanged(bool changed) override { m_edit.m_dataChanged = changed; }

    private:
        NumericLineEdit& m_edit;
    };

    Entry m_entry{*this};
    bool m_dataChanged = false;
    bool m_selectAllOnFocus = true;
};

}  // namespace quandrelle
