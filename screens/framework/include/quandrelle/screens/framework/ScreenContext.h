#pragma once

#include <functional>
#include <string>

#include "quandrelle/screens/dialogs/DialogRunner.h"
#include "quandrelle/screens/dialogs/ProgramControl.h"
#include "quandrelle/screens/framework/CalcDocument.h"
#include "quandrelle/screens/framework/FormRegistry.h"
#include "quandrelle/validation/Messenger.h"

namespace quandrelle {

// What every screen is handed when it is built: the calculation document, the screen list, the
// ways to talk to the user, the way to end the program and the folder of the record files. The
// application owns all of them; tests hand in fakes.
struct ScreenContext {
    CalcDocument& document;
    FormRegistry& forms;
    Messenger& messenger;
    DialogRunner& dialogs;
    ProgramControl& program;
    std::function<std::string()> dataFolder;
};

}  // namespace quandrelle
