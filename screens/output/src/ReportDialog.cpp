#include "quandrelle/screens/output/ReportDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace quandrelle {
namespace {

QLineEdit* textField(const QString& text, const QString& accessibleName, QWidget* parent) {
    auto* field = new QLineEdit(text, parent);
    field->setAccessibleName(accessibleName);
    field->setMinimumWidth(320);
    return field;
}

}  // namespace

ReportDialog::ReportDialog(const ReportHeading& heading, bool printerAvailable, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(kReportTitle);
    setModal(true);

    m_site = textField(heading.site, QStringLiteral("Site"), this);
    m_task = textField(heading.task, QStringLiteral("Task"), this);
    m_preparedBy = textField(heading.preparedBy, QStringLiteral("Prepared by"), this);
    m_save = new QPushButton(QStringLiteral("Save as PDF..."), this);
    m_print = new QPushButton(QStringLiteral("Print..."), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_save->setDefault(true);
    m_print->setEnabled(printerAvailable);
    if (!printerAvailable) {
        m_print->setToolTip(QStringLiteral("No printer is available"));
    }

    auto* intro = new QLabel(
        QStringLiteral("The report of the last calculation: its data, results, method and cautions."), this);
    intro->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Site"), m_site);
    form->addRow(QStringLiteral("Task"), m_task);
    form->addRow(QStringLiteral("Prepared by"), m_preparedBy);

    auto* commands = new QHBoxLayout;
    commands->addStretch();
    commands->addWidget(m_save);
    commands->addWidget(m_print);
    commands->addWidget(m_cancel);

    auto* frame = new QVBoxLayout(this);
    frame->addWidget(intro);
    frame->addLayout(form);
    frame->addLayout(commands);

    connect(m_save, &QPushButton::clicked, this, [this] { done(SavePdf); });
    connect(m_print, &QPushButton::clicked, this, [this] { done(Print); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_site->setFocus();
}

ReportHeading ReportDialog::heading() const {
    return ReportHeading{m_site->text(), m_task->text(), m_preparedBy->text()};
}

}  // namespace quandrelle
