#pragma once

#include <QLabel>
#include <QPushButton>

#include "quandrelle/screens/framework/Form.h"

namespace quandrelle {

// What the program does and on which method it rests; Return goes back to the opening screen.
class About : public Form {
    Q_OBJECT
public:
    static const QString kText;

    explicit About(ScreenContext& context);

    QLabel* textLabel() const { return m_text2; }
    QLabel* recordsFolderLabel() const { return m_recordsFolder; }
    QPushButton* returnButton() const { return m_command1; }

protected:
    void closeRequested() override;

private:
    void onReturn();
    QString recordsFolderText();

    QLabel* m_text2 = nullptr;
    QLabel* m_recordsFolder = nullptr;
    QPushButton* m_command1 = nullptr;
};

}  // namespace quandrelle
