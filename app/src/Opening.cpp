#include "quandrelle/app/Opening.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/app/Artwork.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle {

Opening::Opening(ScreenContext& context) : Form(context, QStringLiteral("Quandrelle")) {
    auto* picture = new QLabel(this);
    picture->setPixmap(cartridgePicture(QSize(170, 220)));
    picture->setAccessibleName(QStringLiteral("Picture of a respirator cartridge"));

    m_text1 = new QLabel(QStringLiteral("Quandrelle"), this);
    QFont productFont(QStringLiteral("Arial"));
    productFont.setStyleHint(QFont::SansSerif);
    productFont.setPointSize(30);
    productFont.setBold(true);
    m_text1->setFont(productFont);

    m_text2 = new QLabel(QStringLiteral("Version %1, %2\n"
                                        "Breakthrough time estimates for organic vapor\n"
                                        "respirator cartridges and mixtures of vapors")
                             .arg(QString::fromUtf8(kProgramVersion), QString::fromUtf8(kReleaseMonth)),
                         this);
    m_text5 = new QLabel(this);

    m_command1 = new QPushButton(QStringLiteral("About"), this);
    m_exitCmd = new QPushButton(QStringLiteral("Exit"), this);
    m_continue = new QPushButton(QStringLiteral("Continue"), this);
    m_continue->setDefault(true);

    auto* words = new QVBoxLayout;
    words->addStretch();
    words->addWidget(m_text1);
    words->addWidget(m_text2);
    words->addWidget(m_text5);
    words->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(18);
    top->addLayout(words);

    auto* commands = new QHBoxLayout;
    commands->addWidget(m_command1);
    commands->addStretch();
    commands->addWidget(m_continue);
    commands->addWidget(m_exitCmd);

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(22, 18, 22, 16);
    frame->addLayout(top);
    frame->addSpacing(10);
    frame->addLayout(commands);

    setTabOrder(m_continue, m_command1);
    setTabOrder(m_command1, m_exitCmd);
    m_continue->setFocus();

    onCommand(m_command1, [this] { onAbout(); });
    onCommand(m_exitCmd, [this] { this->context().program.endProgram(); });
    onCommand(m_continue, [this] { onContinue(); });
}

void Opening::onAbout() {
    hide();
    forms().ShowForm(forms::kAbout);
}

void Opening::onContinue() {
    state().mixCount = 0;
    forms().ShowForm(forms::kInputMasterFive);
    hide();
}

void Opening::closeRequested() {
    context().program.endProgram();
}

}  // namespace quandrelle
