#include "quandrelle/screens/dialogs/DialogRunner.h"

#include <QDialog>
#include <QFileDialog>

namespace quandrelle {

int QtDialogRunner::runModal(QDialog& dialog) {
    return dialog.exec();
}

QString QtDialogRunner::saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                     const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, directory, filter);
}

QString QtDialogRunner::openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                     const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

}  // namespace quandrelle
