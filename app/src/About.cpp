#include "quandrelle/app/About.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <exception>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/app/Artwork.h"
#include "quandrelle/engine/MethodSummary.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle {

const QString About::kText =
    QStringLiteral(
        "Quandrelle\n"
        "Version %1\n"
        "\n"
        "This program can be used  to estimate breakthrough time(s) of\n"
        "one or a mixture of organic vapors through organic vapor air-\n"
        "purifying respirator cartridges at any humidity. It requires:\n"
        "1) parameters of the cartridge and the carbon it contains,\n"
        "2) physical characteristics of the vapor(s) present, and\n"
        "3) environmental and use conditions.\n"
        "\n"
        "Method: ")
        .arg(QString::fromUtf8(kProgramVersion)) +
    QString::fromUtf8(kMethodSummary.data(), static_cast<qsizetype>(kMethodSummary.size())) +
    QStringLiteral(
        "\n\n"
        "Questions and problem reports: please open an issue in the project's issue tracker.");

About::About(ScreenContext& context) : Form(context, QStringLiteral(" About")) {
    auto* picture = new QLabel(this);
    picture->setPixmap(cartridgePicture(QSize(120, 156)));
    picture->setAccessibleName(QStringLiteral("Picture of a respirator cartridge"));
    auto* image = new QLabel(this);
    image->setPixmap(emblemPicture(QSize(72, 72)));
    image->setAccessibleName(QStringLiteral("Quandrelle emblem"));

    m_text2 = new QLabel(kText, this);
    m_text2->setTextFormat(Qt::PlainText);
    m_text2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text2->setWordWrap(true);
    m_text2->setMinimumWidth(m_text2->fontMetrics().horizontalAdvance(QString(86, 'x')));
    m_text2->setAccessibleName(QStringLiteral("About Quandrelle"));

    m_recordsFolder = new QLabel(recordsFolderText(), this);
    m_recordsFolder->setTextFormat(Qt::PlainText);
    m_recordsFolder->setWordWrap(true);
    m_recordsFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_command1 = new QPushButton(QStringLiteral("Return"), this);
    m_command1->setDefault(true);

    auto* pictures = new QVBoxLayout;
    pictures->addWidget(image, 0, Qt::AlignHCenter);
    pictures->addSpacing(12);
    pictures->addWidget(picture, 0, Qt::AlignHCenter);
    pictures->addStretch();

    auto* top = new QHBoxLayout;
    top->addLayout(pictures);
    top->addSpacing(16);
    top->addWidget(m_text2, 1);

    auto* commands = new QHBoxLayout;
    commands->addStretch();
    commands->addWidget(m_command1);

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(20, 16, 20, 16);
    frame->addLayout(top);
    frame->addWidget(m_recordsFolder);
    frame->addLayout(commands);

    m_command1->setFocus();
    onCommand(m_command1, [this] { onReturn(); });
}

// Where the record files are is told here, once, rather than at every start: an installed program
// keeps them in the per-user data folder, which the user would not otherwise find.
QString About::recordsFolderText() {
    try {
        return QStringLiteral("Your record files (VaporB30.DB, CartridgeB30.DB) are kept in %1")
            .arg(QString::fromStdString(context().dataFolder()));
    } catch (const std::exception& error) {
        return QString::fromStdString(error.what());
    }
}

void About::onReturn() {
    forms().UnloadForm(forms::kAbout);
    forms().ShowForm(forms::kOpening);
}

void About::closeRequested() {
    onReturn();
}

}  // namespace quandrelle
