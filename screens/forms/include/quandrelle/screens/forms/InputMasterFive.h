#pragma once

#include <QLabel>
#include <QPushButton>
#include <array>

#include "quandrelle/screens/forms/CalculationCommands.h"
#include "quandrelle/screens/framework/Form.h"
#include "quandrelle/screens/widgets/ValueLabel.h"

namespace quandrelle {

// The data input screen, the hub of the input side: it shows the cartridge and the five vapor
// slots chosen so far, opens the cartridge, vapor and use conditions screens, empties the vapor
// slots, and leads on to the results once the minimum input is there. It shows the calculation
// document's cartridge and vapor names, and updates them whenever the document announces a change
// of the cartridge, of a vapor slot or of the results (which reorder the slots).
class InputMasterFive : public Form {
    Q_OBJECT
public:
    explicit InputMasterFive(ScreenContext& context);

    void ValidateButtons();
    int selectedVapIdx() const { return m_selectedVapIdx; }

    QString cartridgeCaption() const { return m_cartName->text(); }
    QString vaporCaption(int slot) const;
    QLabel* cartridgeLabel() const { return m_cartName; }
    QLabel* vaporLabel(int slot) const { return m_vap.at(slot); }

    QPushButton* selectCartButton() const { return m_selectCart; }
    QPushButton* selectVapButton(int slot) const;
    QPushButton* selectUseButton() const { return m_selectUse; }
    QPushButton* clearVaporsButton() const { return m_clearVapors; }
    QPushButton* continueButton() const { return m_continue; }
    QPushButton* exitButton() const { return m_exitBtn; }
    CalculationCommands* files() const { return m_files; }

protected:
    void closeRequested() override;

private:
    void buildLayout();
    void connectCommands();
    void observeDocument();
    void showCartridge();
    void showVapor(int slot);
    void onSelectCart();
    void SelectVaporSlot(int index);
    void onSelectUse();
    void onClearVapors();
    void onContinue();
    void onExit();
    bool isOpenable(const char* formName, const char* caption);

    int m_selectedVapIdx = 0;
    QPushButton* m_selectCart = nullptr;
    ValueLabel* m_cartName = nullptr;
    std::array<QPushButton*, 6> m_selectVap{};  // index = slot; 0 unused
    std::array<ValueLabel*, 6> m_vap{};
    QPushButton* m_selectUse = nullptr;
    QPushButton* m_clearVapors = nullptr;
    QPushButton* m_continue = nullptr;
    QPushButton* m_exitBtn = nullptr;
    CalculationCommands* m_files = nullptr;
};

}  // namespace quandrelle
