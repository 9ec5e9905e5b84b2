#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "quandrelle/screens/framework/ScreenContext.h"

namespace quandrelle {

// The "Information Incomplete" dialog a data screen shows, modally, when the user leaves it with
// required input missing: back to the screen (Return, Escape or closing the window), or, after a
// confirming question, out of the program.
class ExitDialog : public QDialog {
    Q_OBJECT
public:
    explicit ExitDialog(ScreenContext& context);

    QPushButton* returnButton() const { return m_returnButton; }
    QPushButton* exitButton() const { return m_exitButton; }
    QLabel* headingLabel() const { return m_label5; }
    QLabel* bodyLabel() const { return m_label1; }

    void reject() override;

private:
    void onReturn();
    void onExit();

    ScreenContext& m_context;
    QLabel* m_label5 = nullptr;
    QLabel* m_label1 = nullptr;
    QPushButton* m_returnButton = nullptr;
    QPushButton* m_exitButton = nullptr;
};

}  // namespace quandrelle
