#pragma once

#include <QLabel>
#include <QPushButton>

#include "quandrelle/screens/framework/Form.h"

namespace quandrelle {

// The window that stands in for the results screen when Calculate refuses the breakthrough
// concentrations. The results screen is hidden meanwhile, so every way of leaving this window
// (Return, Escape, closing it through its frame) brings the results screen back.
class LimitsMessage : public Form {
    Q_OBJECT
public:
    explicit LimitsMessage(ScreenContext& context);

    QLabel* messageLabel() const { return m_message; }
    QPushButton* returnButton() const { return m_returnButton; }

protected:
    void closeRequested() override;

private:
    void onReturn();

    QLabel* m_message = nullptr;
    QPushButton* m_returnButton = nullptr;
};

}  // namespace quandrelle
