#pragma once

#include <QLabel>
#include <QPushButton>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "quandrelle/screens/framework/Form.h"
#include "quandrelle/screens/framework/PeerScreens.h"
#include "quandrelle/screens/widgets/NameComboBox.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle {

// The organic vapor data screen, where one vapor slot of the mixture is filled: the user picks or
// types a chemical name, or types a CAS number, fetches the chemical's data from the vapor file or
// types them, may store them in the file, and returns, which copies the ten values into the slot
// the data input screen opened it for. The vapor file is opened when the screen is first built and
// stays open while the screen lives.
class frmVaporMulti : public Form, public VaporSlotEditor {
    Q_OBJECT
public:
    explicit frmVaporMulti(ScreenContext& context);
    ~frmVaporMulti() override;

    // What the data input screen asks when it opens this screen for a slot.
    void ClearVaporForm() override;
    void SetOldVaporFields(int slot) override;
    void RefillChemicalList(int recordCount) override;
    int vaporRecordCount() const override;
    void setAvgVapConcText(const QString& text) override;
    void focusChemName() override;

    void ClearVaporData();
    // 1 when the search command searches by CAS number, 0 when by name.
    int searchByCas() const { return m_searchByCas; }
    // The vapor file, or none when it could not be opened.
    const VaporStore* store() const { return m_store.get(); }

    NameComboBox* chemName() const { return m_chemName; }
    NumericLineEdit* molWt() const { return m_numbers[0]; }
    NumericLineEdit* liqDensity() const { return m_numbers[1]; }
    NumericLineEdit* molPol() const { return m_numbers[2]; }
    NumericLineEdit* waterSol() const { return m_numbers[3]; }
    NumericLineEdit* avgVapConc() const { return m_numbers[4]; }
    NumericLineEdit* antoineA() const { return m_numbers[5]; }
    NumericLineEdit* antoineB() const { return m_numbers[6]; }
    NumericLineEdit* antoineC() const { return m_numbers[7]; }
    // The eight number fields in record order.
    const std::array<NumericLineEdit*, 8>& numberFields() const { return m_numbers; }
    NumericLineEdit* cas() const { return m_cas; }
    // The average concentration in mg/m3 at the use conditions (their defaults until some are
    // accepted); a concentration typed here is entered into AvgVapConc as its ppm.
    NumericLineEdit* avgVapConcMass() const { return m_avgVapConcMass; }
    QPushButton* exitButton() const { return m_cmdExit; }
    QPushButton* searchButton() const { return m_cmdSearch; }
    QPushButton* saveButton() const { return m_cmdSave; }
    QPushButton* clearButton() const { return m_cmdClear; }

protected:
    void closeRequested() override;
    void showEvent(QShowEvent* event) override;

private:
    void buildFields();
    void buildLayout();
    void connectEvents();
    bool openStore(const std::string& title);

    void onChemNameChange();
    void onChemNameGotFocus();
    void onSearch();
    void onSave();
    void onClear();
    void onExit();

    void setChemName(const QString& text);
    void showRecord(const VaporRecord& record);
    VaporRecord typedRecord() const;
    void refillList(bool keepName);
    void refillListIfBehind();
    void showAvgVapConcMass();
    bool avgVapConcMassEntered();
    void rememberShownVapor(const std::string& dataSource);
    std::string dataSourceOnReturn() const;

    std::unique_ptr<VaporStore> m_store;
    std::uint64_t m_listedChanges = 0;  // the store's outside change count when the list was filled
    int m_searchByCas = 0;
    NameComboBox* m_chemName = nullptr;
    std::array<NumericLineEdit*, 8> m_numbers{};
    NumericLineEdit* m_cas = nullptr;
    NumericLineEdit* m_avgVapConcMass = nullptr;
    // The user has typed in the mg/m3 field since it last showed the concentration: only then is it
    // entered, since reading back the rounded figure would shift the ppm.
    bool m_massTyped = false;
    // The vapor as a search or the slot last showed it (the concentration aside, which is the
    // user's own), and where its properties came from: Return credits that source only while the
    // fields still hold those properties unchanged.
    std::optional<VaporRecord> m_shownVapor;
    std::string m_shownSource;
    QPushButton* m_cmdExit = nullptr;
    QPushButton* m_cmdSearch = nullptr;
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdClear = nullptr;
};

}  // namespace quandrelle
