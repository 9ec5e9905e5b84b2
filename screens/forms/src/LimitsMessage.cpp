#include "quandrelle/screens/forms/LimitsMessage.h"

#include <QShortcut>
#include <QVBoxLayout>

#include "quandrelle/engine/Calculate.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle {

LimitsMessage::LimitsMessage(ScreenContext& context)
    : Form(context, QStringLiteral("Out of Limits Message")) {
    m_message = new QLabel(QString::fromUtf8(kLimitsMessageText.data(), kLimitsMessageText.size()), this);
    m_message->setWordWrap(true);
    m_message->setMinimumWidth(360);
    QFont font = m_message->font();
    font.setPointSizeF(font.pointSizeF() * 1.15);
    m_message->setFont(font);
    m_returnButton = new QPushButton(QStringLiteral("Return"), this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->addWidget(m_message);
    layout->addSpacing(12);
    layout->addWidget(m_returnButton, 0, Qt::AlignHCenter);

    onCommand(m_returnButton, [this] { onReturn(); });
    // The window holds nothing else to act on: Enter presses Return, and Escape, the keyboard's
    // way of closing a notice, returns as well.
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this] { guarded([this] { onReturn(); }); });
    }
    m_returnButton->setFocus();
}

void LimitsMessage::onReturn() {
    hide();
    forms().ShowForm(forms::kResults);
}

void LimitsMessage::closeRequested() {
    onReturn();
}

}  // namespace quandrelle
