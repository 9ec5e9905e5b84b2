#pragma once

#include <QLabel>
#include <QPushButton>

#include "quandrelle/screens/framework/Form.h"

namespace quandrelle {

// The first screen: the product's picture, name and version, and the way on (Continue), to the
// About window, or out.
class Opening : public Form {
    Q_OBJECT
public:
    explicit Opening(ScreenContext& context);

    QPushButton* aboutButton() const { return m_command1; }
    QPushButton* exitButton() const { return m_exitCmd; }
    QPushButton* continueButton() const { return m_continue; }
    QLabel* productLabel() const { return m_text1; }
    QLabel* versionLabel() const { return m_text2; }

protected:
    // Closing the first window is leaving the program, as its Exit does.
    void closeRequested() override;

private:
    void onAbout();
    void onContinue();

    QLabel* m_text1 = nullptr;
    QLabel* m_text2 = nullptr;
    QLabel* m_text5 = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_exitCmd = nullptr;
    QPushButton* m_continue = nullptr;
};

}  // namespace quandrelle
