#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace quandrelle {

// Every modal dialog of the program (message boxes apart, which go through the Messenger) is run
// through this interface, so that the screens show real dialogs while tests script what the user
// does in them.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    // Shows the dialog modally and returns its result code once it has closed.
    virtual int runModal(QDialog& dialog) = 0;
    // Asks for the name of a file to write; an empty text means the user cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    // Asks for the name of an existing file to read; an empty text means the user cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
};

// The real dialogs.
class QtDialogRunner : public DialogRunner {
public:
    int runModal(QDialog& dialog) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override;
};

}  // namespace quandrelle
