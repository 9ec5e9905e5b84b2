#pragma once

#include <QComboBox>
#include <QStringList>

namespace quandrelle {

// The name box of the record screens: a text field with a drop-down list of the names on file.
// The screens react differently to a name the user types, a name the program sets and a name the
// user picks from the list, so the box reports the three apart: typing emits typed(), picking
// emits picked(), and the program sets the text through setTextByProgram(), which emits
// programSet(). Enter does nothing here (a search runs only from the search button), the list is
// kept in the order given, and nothing typed is ever added to it.
class NameComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit NameComboBox(QWidget* parent = nullptr);

    void setTextByProgram(const QString& text);

    // Replaces the list. Emptying the list takes the text with it, as the list and the text are
    // one control; keepText puts the text back. Neither counts as a change of the name.
    void replaceItems(const QStringList& items, bool keepText);

signals:
    void typed();
    void picked();
    void programSet();
    // The focus came from elsewhere in the window, or went elsewhere; a window that merely gains
    // or loses the activation, or the list opening, is neither.
    void gotFocus();
    void lostFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace quandrelle
