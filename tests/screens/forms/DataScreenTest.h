#pragma once

#include <QDialog>

#include "../../stores/TempFolder.h"
#include "ScreenTest.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/UseOneM.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle::testing {

// The shared set-up of the vapor and cartridge screen tests: the data input screen, the use
// conditions screen, a stand-in "Information Incomplete" dialog, and a fresh data folder whose
// record files each test writes as it needs.
class DataScreenTest : public ScreenTest {
protected:
    void SetUp() override {
        dataFolder = temp.folder();
        forms.define(forms::kInputMasterFive, [this] { return std::make_unique<InputMasterFive>(context); });
        forms.define(forms::kUseOneM, [this] { return std::make_unique<UseOneM>(context); });
        forms.define(forms::kExitDialog, [] {
            auto dialog = std::make_unique<QDialog>();
            dialog->setWindowTitle(QStringLiteral("Information Incomplete"));
            return dialog;
        });
        hub = &forms.form<InputMasterFive>(forms::kInputMasterFive);
        showAndActivate(forms::kInputMasterFive);
    }

    // Counts the dialog's showings and records whether the screen that opened it was hidden meanwhile.
    void scriptIncompleteDialog(QWidget& screen) {
        dialogs.script([this, &screen](QDialog&) {
            hiddenWhileDialog = !screen.isVisible();
            return int(QDialog::Rejected);
        });
    }

    static Message box(const std::string& text, const std::string& title,
                       MessageButtons buttons = MessageButtons::Ok) {
        return Message{text, title, buttons, MessageIcon::None};
    }

    TempFolder temp;
    InputMasterFive* hub = nullptr;
    bool hiddenWhileDialog = false;
};

}  // namespace quandrelle::testing
