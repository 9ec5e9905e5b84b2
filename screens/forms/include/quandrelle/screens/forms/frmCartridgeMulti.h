#pragma once

#include <QPushButton>
#include <array>
#include <memory>

#include "quandrelle/fit/CartridgeSource.h"
#include "quandrelle/screens/framework/Form.h"
#include "quandrelle/screens/widgets/NameComboBox.h"
#include "quandrelle/stores/CartridgeStore.h"

namespace quandrelle {

class FitWindow;

// The cartridge or carbon bed data screen: the user picks a cartridge name from the list of the
// cartridge file and fetches its eight carbon and bed values, or types a new name and the values,
// optionally saving them to the file. Return checks that everything is filled, writes the
// cartridge into the calculation state and puts the name on the data input screen. The cartridge
// file is opened when the screen is first built and stays open while the screen lives.
class frmCartridgeMulti : public Form {
    Q_OBJECT
public:
    explicit frmCartridgeMulti(ScreenContext& context);
    ~frmCartridgeMulti() override;

    // The cartridge file, or none when it could not be opened.
    const CartridgeStore* store() const { return m_store.get(); }

    NameComboBox* cartName() const { return m_cartName; }
    NumericLineEdit* bedDiam() const { return m_numbers[0]; }
    NumericLineEdit* bedDepth() const { return m_numbers[1]; }
    NumericLineEdit* carbWgt() const { return m_numbers[2]; }
    NumericLineEdit* micVol() const { return m_numbers[3]; }
    NumericLineEdit* relHumPre() const { return m_numbers[4]; }
    NumericLineEdit* diamGran() const { return m_numbers[5]; }
    NumericLineEdit* apBenzene() const { return m_numbers[6]; }
    NumericLineEdit* affinityForWater() const { return m_numbers[7]; }
    // The eight fields in record order.
    const std::array<NumericLineEdit*, 8>& numberFields() const { return m_numbers; }
    QPushButton* exitButton() const { return m_cmdExit; }
    QPushButton* searchButton() const { return m_cmdSearch; }
    QPushButton* saveButton() const { return m_cmdSave; }
    QPushButton* clearButton() const { return m_cmdClear; }
    QPushButton* fitButton() const { return m_cmdFit; }
    // The fit window, once opened.
    FitWindow* fitWindow() const { return m_fitWindow; }

protected:
    void closeRequested() override;
    void showEvent(QShowEvent* event) override;

private:
    void buildFields();
    void buildLayout();
    bool openStore(const std::string& title);
    void refillList();
    void refillListIfBehind();

    void clearNumbers();
    void ShowCartridgeRecord(const CartridgeRecord& record);
    void showOpenedCartridge();
    CartridgeRecord typedRecord() const;
    void onSearch();
    void onSave();
    void onClear();
    void onExit();
    void onFit();
    void saveFitted(const CartridgeSourceRecord& source);

    std::unique_ptr<CartridgeStore> m_store;
    std::uint64_t m_listedChanges = 0;  // the store's outside change count when the list was filled
    NameComboBox* m_cartName = nullptr;
    std::array<NumericLineEdit*, 8> m_numbers{};
    QPushButton* m_cmdExit = nullptr;
    QPushButton* m_cmdSearch = nullptr;
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdClear = nullptr;
    QPushButton* m_cmdFit = nullptr;
    FitWindow* m_fitWindow = nullptr;
};

}  // namespace quandrelle
