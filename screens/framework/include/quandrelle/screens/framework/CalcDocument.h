#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <span>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/Inputs.h"

namespace quandrelle::calc {
struct Scenario;
}

namespace quandrelle {

// One use condition, as the use conditions screen and the results screen both show it.
enum class Condition { Temperature, Pressure, RelHumidity, Cartridges, AirFlow };
inline constexpr std::size_t kConditionCount = 5;

// The calculation of this run of the program: the one calculation state, and the texts of the use
// conditions as last entered. Every screen that enters something stores it through here, and
// every screen that shows something shows the state and updates itself when the document
// announces a change; no screen writes into another screen's controls. The data screens and the
// results screen (the forms room) store the calculation's inputs, the change-schedule window the
// programme's; the other windows they open in rooms of their own (the what-if curves, the report's
// output) are handed a copy of a finished run and never write here.
//
// The document also knows the file the calculation was last opened from or saved to, and whether
// its inputs have changed since: a question before the program ends keeps typed work from being
// lost.
//
// The application owns the only instance; the screens reach it through their ScreenContext.
class CalcDocument : public QObject {
    Q_OBJECT
public:
    CalcState& state() { return m_state; }
    const CalcState& state() const { return m_state; }

    // The cartridge screen's Return and Clear.
    void setCartridge(const CartridgeInput& cartridge);
    void clearCartridgeNumbers();

    // Opens a slot on the vapor screen: the next free slot raises the count of vapors.
    void openVaporSlot(int slot);
    // The vapor screen's Return with a vapor.
    void setVapor(int slot, const VaporInput& vapor);
    // The vapor screen's Return without a vapor: a slot opened but left free drops out of the
    // count again, so that the run's rows are the slots that hold a vapor.
    void leaveVaporSlotFree(int slot);
    // Clear All Vapors.
    void clearVapors();

    // One accepted use condition with the text it was entered as; the Return of the use
    // conditions screen stores all five at once.
    void setCondition(Condition condition, double value, const QString& text);
    void setConditions(const UseConditions& conditions, const std::array<QString, kConditionCount>& texts);
    // The text a condition was last entered as; none while it was never entered.
    const std::optional<QString>& conditionText(Condition condition) const;

    // The Calculate command on the rows the results screen reads; announces the results when the
    // run is done, and leaves the state as it was entered when the run fails.
    CalculateOutcome calculate(std::span<const BreakthroughRow> rows,
                               const std::function<void()>& clearResults);
    // Takes in one step a run made elsewhere on a copy of the state: a done run replaces the state
    // and announces the results; a failed one leaves the state as it was entered.
    void acceptRun(CalcState ran, const CalculateOutcome& outcome);

    // The programme's inputs (schedule rules, facepiece, a vapor's limits, the report's header),
    // checked whole by the engine's store functions, which throw ProgrammeInputError and leave the
    // state as it was.
    void setSchedule(const ScheduleInputs& schedule);
    void setExposure(const ExposureInputs& exposure);
    void setExposureLimits(int slot, std::optional<double> oel, std::optional<double> idlh);
    void setReportHeader(const ReportHeader& header);

    // A calculation opened from a file replaces every input, as if each had been typed; the
    // results of an earlier run are gone with them.
    void openCalculation(const calc::Scenario& opened, const QString& file);
    // The calculation as it now stands was written to `file`.
    void markSaved(const QString& file);
    // The file last opened or saved; empty for a calculation never saved.
    const QString& fileName() const { return m_fileName; }
    // True when an input differs from the file last opened or saved (from the program's start
    // when there is none).
    bool hasUnsavedChanges() const;

signals:
    void vaporChanged(int slot);
    void cartridgeChanged();
    void conditionsChanged();
    void resultsChanged();
    void programmeChanged();
    // Every input was replaced by an opened file: each screen shows the state afresh.
    void calculationOpened();

private:
    CalcState m_state;
    // The inputs as last saved or opened; what the present ones are compared with.
    CalcState m_savedInputs;
    QString m_fileName;
    std::array<std::optional<QString>, kConditionCount> m_conditionTexts;
};

}  // namespace quandrelle
