#include "quandrelle/app/Application.h"

#include "quandrelle/app/About.h"
#include "quandrelle/app/ExitDialog.h"
#include "quandrelle/app/Opening.h"
#include "quandrelle/screens/forms/BreakTimeFive.h"
#include "quandrelle/screens/forms/CalculationCommands.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/LimitsMessage.h"
#include "quandrelle/screens/forms/UseOneM.h"
#include "quandrelle/screens/forms/frmCartridgeMulti.h"
#include "quandrelle/screens/forms/frmVaporMulti.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle {
void defineScreens(ScreenContext& context) {
    FormRegistry& forms = context.forms;
    forms.define(forms::kOpening, [&context] { return std::make_unique<Opening>(context); });
    forms.define(forms::kAbout, [&context] { return std::make_unique<About>(context); });
    forms.define(forms::kExitDialog, [&context] { return std::make_unique<ExitDialog>(context); });
    forms.define(forms::kInputMasterFive, [&context] { return std::make_unique<InputMasterFive>(context); });
    forms.define(forms::kUseOneM, [&context] { return std::make_unique<UseOneM>(context); });
    forms.define(forms::kCartridge, [&context] { return std::make_unique<frmCartridgeMulti>(context); });
    forms.define(forms::kVapor, [&context] { return std::make_unique<frmVaporMulti>(context); });
    forms.define(forms::kResults, [&context] { return std::make_unique<BreakTimeFive>(context); });
    forms.define(forms::kLimitsMessage, [&context] { return std::make_unique<LimitsMessage>(context); });
}

Application::Application()
    : m_context{m_document, m_forms,   m_messenger,
                m_dialogs,  m_program, [this] { return m_dataFolder.DataFolderPath(); }} {
    defineScreens(m_context);
}

void showFirstScreen(ScreenContext& context, const QString& calculationFile) {
    if (calculationFile.isEmpty() || !openCalculationFile(context, calculationFile)) {
        context.forms.ShowForm(forms::kOpening);
    }
}

void Application::start(const QString& calculationFile) {
    showFirstScreen(m_context, calculationFile);
}

}  // namespace quandrelle
