#pragma once

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>
#include <vector>

#include "quandrelle/screens/framework/Form.h"

namespace quandrelle {

// The use conditions screen: temperature, pressure, humidity, cartridges per respirator and the
// breathing air flow, offered with ready-made defaults. Each accepted field goes into the
// calculation state as the user leaves it; Return stores all five and goes back to the hub. The
// fields follow the document: a condition changed on the results screen shows here as entered.
class UseOneM : public Form {
    Q_OBJECT
public:
    // The table of suggested breathing air flows, exactly as shown (tab-separated, CR LF lines).
    static const QString kSuggestions;

    // A work rate offered beside the air flow field, with the flow of the suggestions table.
    struct WorkRatePreset {
        QString name;
        int airFlow;  // L/min
    };
    static const std::vector<WorkRatePreset> kWorkRatePresets;
    // The drop-down's entry for an air flow that is none of the presets.
    static const QString kCustomWorkRate;

    explicit UseOneM(ScreenContext& context);

    NumericLineEdit* temperature() const { return m_temperature; }
    NumericLineEdit* atmPressure() const { return m_atmPressure; }
    NumericLineEdit* relHumid() const { return m_relHumid; }
    NumericLineEdit* numCarts() const { return m_numCarts; }
    NumericLineEdit* breathingAirFlow() const { return m_breathingAirFlow; }
    QComboBox* workRate() const { return m_workRate; }
    QPushButton* returnButton() const { return m_returnBtn; }
    QString suggestionsText() const { return m_suggestionsText; }

protected:
    void closeRequested() override;

private:
    NumericLineEdit* makeField(const QString& text, const QString& toolTip);
    void buildLayout();
    QComboBox* makeWorkRate();
    void onWorkRatePicked(int index);
    void showWorkRateOfAirFlow();
    void onReturn();
    std::array<NumericLineEdit*, kConditionCount> conditionFields() const;
    // Stores one accepted field into the document.
    void store(Condition condition);
    void showConditions();

    NumericLineEdit* m_temperature = nullptr;
    NumericLineEdit* m_atmPressure = nullptr;
    NumericLineEdit* m_relHumid = nullptr;
    NumericLineEdit* m_numCarts = nullptr;
    NumericLineEdit* m_breathingAirFlow = nullptr;
    QComboBox* m_workRate = nullptr;
    QPushButton* m_returnBtn = nullptr;
    QPlainTextEdit* m_text7 = nullptr;
    QString m_suggestionsText;
};

}  // namespace quandrelle
