#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/screens/framework/CalcDocument.h"
#include "quandrelle/screens/widgets/ValueLabel.h"

namespace quandrelle {

// The change schedule of the results screen's last run, with the inputs that shape it: the safety
// factor or the range's minimum as the basis, the shift and the hours worn in it, service across
// shifts, the facepiece and each vapor's exposure limits. Every accepted entry goes into the
// calculation document at once (a saved calculation keeps it), and the schedule shown is drawn
// again from the run's times: none of these inputs moves a breakthrough time.
class ChangeScheduleWindow : public QWidget {
    Q_OBJECT
public:
    ChangeScheduleWindow(CalcDocument& document, QWidget* parent);

    // The run the schedule is drawn from; none before the first run.
    void setRun(const CalcState& run);
    // The results screen no longer shows the run: no schedule until the next one.
    void clearRun();

    QLineEdit* safetyFactor() const { return m_safetyFactor; }
    QComboBox* basis() const { return m_basis; }
    QLineEdit* shiftHours() const { return m_shiftHours; }
    QLineEdit* wornHours() const { return m_wornHours; }
    QCheckBox* acrossShifts() const { return m_acrossShifts; }
    QComboBox* facepiece() const { return m_facepiece; }
    QLineEdit* typedFactor() const { return m_typedFactor; }
    QLineEdit* oel(int slot) const { return m_oel.at(slot); }
    QLineEdit* idlh(int slot) const { return m_idlh.at(slot); }
    // Why the last entry was not taken; empty when it was.
    QLabel* entryProblem() const { return m_problem; }
    QPlainTextEdit* schedule() const { return m_schedule; }

private:
    void buildControls();
    void buildLayout();
    void showInputs();
    void applyEntries();
    void applySchedule();
    void applyExposure();
    void applyLimits();
    void showSchedule();

    CalcDocument& m_document;
    std::optional<CalcState> m_run;
    // While the window writes its own entries into the fields, their changes are not entries.
    bool m_showing = false;
    // While the window stores its entries, the document's announcements of them wait.
    bool m_applying = false;
    QLineEdit* m_safetyFactor = nullptr;
    QComboBox* m_basis = nullptr;
    QLineEdit* m_shiftHours = nullptr;
    QLineEdit* m_wornHours = nullptr;
    QCheckBox* m_acrossShifts = nullptr;
    QComboBox* m_facepiece = nullptr;
    QLineEdit* m_typedFactor = nullptr;
    std::array<ValueLabel*, 6> m_vaporName{};  // index = slot; 0 unused
    std::array<QLineEdit*, 6> m_oel{};
    std::array<QLineEdit*, 6> m_idlh{};
    QLabel* m_problem = nullptr;
    QPlainTextEdit* m_schedule = nullptr;
};

}  // namespace quandrelle
