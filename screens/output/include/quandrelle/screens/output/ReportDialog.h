#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "quandrelle/report/ChangeScheduleReport.h"

namespace quandrelle {

// Asks what to write on the change-schedule report (site, task, who prepared it) and where the
// report goes: a PDF file or the printer. Its result is one of the Choice codes.
class ReportDialog : public QDialog {
    Q_OBJECT
public:
    enum Choice { Cancel = QDialog::Rejected, SavePdf = QDialog::Accepted, Print };

    ReportDialog(const ReportHeading& heading, bool printerAvailable, QWidget* parent = nullptr);

    ReportHeading heading() const;

    QLineEdit* site() const { return m_site; }
    QLineEdit* task() const { return m_task; }
    QLineEdit* preparedBy() const { return m_preparedBy; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* printButton() const { return m_print; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QLineEdit* m_site = nullptr;
    QLineEdit* m_task = nullptr;
    QLineEdit* m_preparedBy = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace quandrelle
