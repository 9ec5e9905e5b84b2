#pragma once

#include <QWidget>
#include <functional>

#include "quandrelle/screens/dialogs/Note.h"
#include "quandrelle/screens/framework/ScreenContext.h"
#include "quandrelle/screens/widgets/FieldTable.h"

class QAbstractButton;

namespace quandrelle {

// The base of every screen: a top-level window whose title is its caption, with its numeric fields
// declared in a FieldTable and its commands connected through onCommand so that no command runs
// while the focused field rejects its entry. Closing the window through its frame never closes it:
// the screen's closeRequested() decides (like Return on the data screens).
//
// A screen declares each numeric field once, and gets select-all on focus, Enter and the leave
// check from that row:
//     addField({.field = m_bedDiam, .limits = limits::kBedDiameter, .next = m_bedDepth},
//              QStringLiteral("Bed Diameter (cm)"));
//     onCommand(m_cmdExit, [this] { onReturn(); });
// and is defined by name in the application's screen list, from where the other screens reach it
// (forms().ShowForm(forms::kCartridge), forms().form<InputMasterFive>(forms::kInputMasterFive)).
class Form : public QWidget {
    Q_OBJECT
public:
    Form(ScreenContext& context, const QString& caption, QWidget* parent = nullptr);

protected:
    ScreenContext& context() { return m_context; }
    CalcDocument& document() { return m_context.document; }
    CalcState& state() { return m_context.document.state(); }
    FormRegistry& forms() { return m_context.forms; }
    Messenger& messenger() { return m_context.messenger; }
    FieldTable& fields() { return m_fields; }

    // Declares a numeric field with its accessible name (the text of the label beside it).
    NumericLineEdit* addField(FieldRow row, const QString& accessibleName);
    // Runs the handler on a click (mouse, keyboard or shortcut) once the focused field has accepted
    // its entry; an unexpected failure inside is reported instead of ending the program.
    void onCommand(QAbstractButton* button, std::function<void()> handler);
    // Runs a step, reporting an unexpected failure in a message box instead of ending the program.
    void guarded(const std::function<void()>& step);

    // Hides this screen, runs the "Information Incomplete" dialog modally and shows this screen
    // again once the dialog has closed, unless the user ended the program from it.
    void ShowIncompleteDialog();

    // The user asked to close the window through its frame (the window stays unless this acts).
    virtual void closeRequested() {}

    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ScreenContext& m_context;
    FieldTable m_fields;
};

// The window-wide accessible name of a control: the text of the label beside it, with the row
// number for per-vapor controls.
QString rowAccessibleName(const QString& label, int row);

}  // namespace quandrelle
