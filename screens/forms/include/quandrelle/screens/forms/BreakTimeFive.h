#pragma once

#include <QFutureWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <array>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "quandrelle/engine/Calculate.h"
#include "quandrelle/screens/framework/Form.h"
#include "quandrelle/screens/framework/PeerScreens.h"
#include "quandrelle/screens/widgets/BusyCursor.h"
#include "quandrelle/screens/widgets/ValueLabel.h"

class QCloseEvent;
class QProgressBar;

namespace quandrelle {

class WhatIfWindow;
class ChangeScheduleWindow;
class CalculationCommands;

// The results screen: the mixture's rows (name, concentration, breakthrough concentration and the
// estimated breakthrough time with its range), the cartridge and the use conditions. Calculate runs
// the engine on the calculation state; between runs the conditions and concentrations can be edited
// here, each accepted edit going straight into the calculation document, which the use conditions
// screen follows. The result labels change only when a run clears and refills them.
class BreakTimeFive : public Form, public ResultsDisplay {
    Q_OBJECT
public:
    // Whether the system has a default printer to print on.
    using PrinterCheck = std::function<bool()>;

    explicit BreakTimeFive(ScreenContext& context);
    // A run still under way is stopped and waited for.
    ~BreakTimeFive() override;
    BreakTimeFive(const BreakTimeFive&) = delete;
    BreakTimeFive& operator=(const BreakTimeFive&) = delete;

    void ShowInputsOnResults() override;
    void ClearResultsDisplay() override;
    void focusBreakConc(int row) override;
    void ShowResults();

    // Replaces the look-up of the default printer (tests pretend there is none).
    void setPrinterCheck(PrinterCheck check) { m_hasPrinter = std::move(check); }

    QLineEdit* cartName() const { return m_cartName; }
    QLabel* vapNm(int row) const { return m_vapNm.at(row); }
    NumericLineEdit* vapConc(int row) const { return m_vapConc.at(row); }
    // The concentration in mg/m3; a concentration typed here is entered into VapConc as its ppm.
    NumericLineEdit* vapConcMass(int row) const { return m_vapConcMass.at(row); }
    NumericLineEdit* vapBkConc(int row) const { return m_vapBkConc.at(row); }
    QLabel* bkT(int row) const { return m_bkT.at(row); }
    QLabel* bkTMin(int row) const { return m_bkTMin.at(row); }
    QLabel* bkTMax(int row) const { return m_bkTMax.at(row); }
    NumericLineEdit* temperature() const { return m_temperature; }
    NumericLineEdit* atmPressure() const { return m_atmPressure; }
    NumericLineEdit* relHumid() const { return m_relHumid; }
    NumericLineEdit* airFlowVol() const { return m_airFlowVol; }
    NumericLineEdit* eqConc() const { return m_eqConc; }
    QPushButton* cmdCalc() const { return m_cmdCalc; }
    // While Calculate runs: the progress bar and the button that stops the run.
    QProgressBar* runProgress() const { return m_runProgress; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }
    bool runInProgress() const { return m_running; }
    QPushButton* cmdData() const { return m_cmdData; }
    QPushButton* cmdExit() const { return m_cmdExit; }
    QPushButton* cmdPrint() const { return m_cmdPrint; }
    // The notes of the last run (how its results were found, cautions), one line each; empty
    // and hidden when the model answered without remark.
    QLabel* runNotes() const { return m_runNotes; }
    QPushButton* cmdReport() const { return m_cmdReport; }
    // Opens the what-if window of the last run; enabled while there is one.
    QPushButton* cmdWhatIf() const { return m_cmdWhatIf; }
    // The what-if window, while it is open.
    WhatIfWindow* whatIfWindow() const;
    // Opens the change-schedule window: the programme's inputs, and the schedule of the last run.
    QPushButton* cmdSchedule() const { return m_cmdSchedule; }
    ChangeScheduleWindow* scheduleWindow() const;
    CalculationCommands* files() const { return m_files; }

protected:
    void closeRequested() override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Trigger { Enter, LostFocus };

    void buildControls();
    void buildLayout();
    void declareFields();
    void onCalculate();
    void startRun(CalcState copy);
    void onRunFinished();
    void setRunning(bool running);
    void onReturnToData();
    void onPrint();
    void onExit();
    void onReport();
    void onWhatIf();
    void onSchedule();
    void showOpenedBreakConcentrations();
    void takeProgrammeInputs();
    void reportRunFailure(const std::string& text);
    void showRunNotes(const std::vector<std::string>& notes);

    void storeTemperature();
    void storeAtmPressure();
    void storeAirFlow();
    void storeRelHumid();
    void vapConcEntered(int row, Trigger trigger);
    void vapConcMassEntered(int row, Trigger trigger);
    void vapBkConcLeft(int row);
    void eqConcEntered();
    void showEquivalentConcentration();
    void showMassConcentrations();
    void setBreakFraction(int row);

    PrinterCheck m_hasPrinter;
    bool m_quitConfirmed = false;
    // The user has typed in EqConc since the screen last showed the equivalent concentration.
    bool m_eqConcTyped = false;
    QLineEdit* m_cartName = nullptr;
    // Row arrays, index = vapor slot; 0 unused.
    std::array<ValueLabel*, 6> m_vapNm{};
    std::array<NumericLineEdit*, 6> m_vapConc{};
    // Each concentration in mg/m3 at the conditions on this screen, following the state; typed in,
    // it enters the row's ppm. Entered only once the user has typed in it since it was last shown,
    // since reading back the rounded figure would shift the ppm.
    std::array<NumericLineEdit*, 6> m_vapConcMass{};
    std::array<bool, 6> m_massTyped{};
    std::array<NumericLineEdit*, 6> m_vapBkConc{};
    std::array<ValueLabel*, 6> m_bkT{};
    std::array<ValueLabel*, 6> m_bkTMin{};
    std::array<ValueLabel*, 6> m_bkTMax{};
    NumericLineEdit* m_temperature = nullptr;
    NumericLineEdit* m_atmPressure = nullptr;
    NumericLineEdit* m_relHumid = nullptr;
    NumericLineEdit* m_airFlowVol = nullptr;
    NumericLineEdit* m_eqConc = nullptr;
    QPushButton* m_cmdCalc = nullptr;
    QPushButton* m_cmdData = nullptr;
    QPushButton* m_cmdExit = nullptr;
    QPushButton* m_cmdPrint = nullptr;
    QLabel* m_runNotes = nullptr;
    QPushButton* m_cmdReport = nullptr;
    QPushButton* m_cmdWhatIf = nullptr;
    QPushButton* m_cmdSchedule = nullptr;
    CalculationCommands* m_files = nullptr;
    QProgressBar* m_runProgress = nullptr;
    QPushButton* m_cmdCancel = nullptr;

    // A run of Calculate works on its own copy of the state on a worker thread; the copy comes back
    // here when it ends, or nothing when it was stopped.
    struct FinishedRun {
        std::optional<CalcState> state;
        CalculateOutcome outcome;
    };
    QFutureWatcher<FinishedRun> m_run;
    std::stop_source m_stop;
    bool m_running = false;
    std::optional<BusyCursor> m_busy;
    // The controls a run disabled, to be enabled again when it ends.
    std::vector<QPointer<QWidget>> m_disabledByRun;
    // Shows the last run: handed every new one, told when the results are cleared.
    QPointer<WhatIfWindow> m_whatIf;
    QPointer<ChangeScheduleWindow> m_schedule;
    // The last successful run as it ended, for its report: later edits on the screen belong to no
    // result until the next run.
    std::optional<CalcState> m_lastRun;
};

}  // namespace quandrelle
