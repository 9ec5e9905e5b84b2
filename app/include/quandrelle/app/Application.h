#pragma once

#include <QString>

#include "quandrelle/app/DataFolderCache.h"
#include "quandrelle/screens/dialogs/DialogRunner.h"
#include "quandrelle/screens/dialogs/ProgramControl.h"
#include "quandrelle/screens/dialogs/QtMessenger.h"
#include "quandrelle/screens/framework/CalcDocument.h"
#include "quandrelle/screens/framework/FormRegistry.h"
#include "quandrelle/screens/framework/ScreenContext.h"

namespace quandrelle {

// Defines every screen of the program by name in the context's screen list.
void defineScreens(ScreenContext& context);

// The first screen: the opening screen; or, given a saved calculation, the results screen with that
// calculation, as if every field had been typed (a file that cannot be opened is reported, and the
// opening screen follows).
void showFirstScreen(ScreenContext& context, const QString& calculationFile);

// The running program: it owns the calculation document, the real message boxes and dialogs,
// the data folder and the screen list, and starts on the opening screen.
class Application {
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The start routine: the first screen, shown before any other.
    void start(const QString& calculationFile = {});

    CalcDocument& document() { return m_document; }
    CalcState& state() { return m_document.state(); }
    FormRegistry& forms() { return m_forms; }

private:
    CalcDocument m_document;
    QtMessenger m_messenger;
    QtDialogRunner m_dialogs;
    QtProgramControl m_program;
    DataFolderCache m_dataFolder;
    FormRegistry m_forms;
    ScreenContext m_context;
};

}  // namespace quandrelle
