#include "quandrelle/app/ExitDialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "quandrelle/screens/framework/CalculationFiles.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle {

ExitDialog::ExitDialog(ScreenContext& context) : m_context(context) {
    setWindowTitle(QStringLiteral("Information Incomplete"));
    setModal(true);

    m_label5 = new QLabel(QStringLiteral("Complete Information Required"), this);
    QFont headingFont = m_label5->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.25);
    m_label5->setFont(headingFont);

    m_label1 =
        new QLabel(QStringLiteral("This program requires the information requested on the previous screen. "
                                  "You can either exit the program now, if you do not have the required "
                                  "information, or return to the screen to enter the information."),
                   this);
    m_label1->setWordWrap(true);
    m_label1->setMinimumWidth(380);

    m_returnButton = new QPushButton(QStringLiteral("Return"), this);
    m_exitButton = new QPushButton(QStringLiteral("Exit"), this);
    m_returnButton->setDefault(true);

    auto* commands = new QHBoxLayout;
    commands->addStretch();
    commands->addWidget(m_returnButton);
    commands->addWidget(m_exitButton);

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(20, 16, 20, 16);
    frame->addWidget(m_label5);
    frame->addSpacing(6);
    frame->addWidget(m_label1);
    frame->addSpacing(12);
    frame->addLayout(commands);

    connect(m_returnButton, &QPushButton::clicked, this, [this] { onReturn(); });
    connect(m_exitButton, &QPushButton::clicked, this, [this] { onExit(); });
    m_returnButton->setFocus();
}

// Escape and the window's close button go back to the screen, as Return does.
void ExitDialog::reject() {
    onReturn();
}

void ExitDialog::onReturn() {
    if (m_context.forms.isDefined(forms::kExitDialog)) {
        m_context.forms.UnloadForm(forms::kExitDialog);
    }
    // Shown outside the screen list (a test, say), the dialog still ends its modal run.
    done(QDialog::Rejected);
}

void ExitDialog::onExit() {
    if (!confirmQuit(m_context, this)) {
        m_returnButton->setFocus();
        return;
    }
    m_context.forms.UnloadAllForms();
    if (m_context.forms.isDefined(forms::kExitDialog)) {
        m_context.forms.UnloadForm(forms::kExitDialog);
    }
    done(QDialog::Accepted);
    m_context.program.endProgram();
}

}  // namespace quandrelle
