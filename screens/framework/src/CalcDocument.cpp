#include "quandrelle/screens/framework/CalcDocument.h"

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/scenario/Scenario.h"
#include "quandrelle/scenario/ScenarioFile.h"

namespace quandrelle {

void CalcDocument::setCartridge(const CartridgeInput& cartridge) {
    storeCartridge(m_state, cartridge);
    emit cartridgeChanged();
}

void CalcDocument::clearCartridgeNumbers() {
    // The name stays: the hub goes on showing the cartridge last returned.
    CalcState& st = m_state;
    st.bedDiameter = 0;
    st.bedDepth = 0;
    st.bedVolume = 0;
    st.carbonWeight = 0;
    st.microporeVolume = 0;
    st.precondRH = 0;
    st.granuleDiameter = 0;
    st.benzenePotential = 0;
    st.waterAffinity = 0;
    st.waterAffinityHalf = 0;
    emit cartridgeChanged();
}

void CalcDocument::openVaporSlot(int slot) {
    if (slot == m_state.vaporCount + 1) {
        ++m_state.vaporCount;
        m_state.mixCount = m_state.vaporCount;
    }
}

void CalcDocument::setVapor(int slot, const VaporInput& vapor) {
    storeVapor(m_state, slot, vapor);
    emit vaporChanged(slot);
}

void CalcDocument::leaveVaporSlotFree(int slot) {
    --m_state.mixCount;
    // Slots fill in order, so a free slot opened last is the top of the count.
    if (slot == m_state.vaporCount && !isSlotInUse(m_state.vapors[slot])) {
        --m_state.vaporCount;
        m_state.mixCount = m_state.vaporCount;
    }
}

void CalcDocument::clearVapors() {
    for (int slot = kFirstSlot; slot <= kMaxVapors; ++slot) {
        VaporData& vapor = m_state.vapors[slot];
        vapor.chemName = kNoneSelected;
        vapor.molWt = 0;
        vapor.liqDensity = 0;
        vapor.molPolariz = 0;
        vapor.waterSolFactor = 0;
        vapor.avgConc = 0;
        vapor.antoineA = 0;
        vapor.antoineB = 0;
        vapor.antoineC = 0;
        vapor.casNumber.clear();
    }
    m_state.vaporCount = 0;
    m_state.mixCount = 0;
    for (int slot = kFirstSlot; slot <= kMaxVapors; ++slot) {
        emit vaporChanged(slot);
    }
}

void CalcDocument::setCondition(Condition condition, double value, const QString& text) {
    switch (condition) {
        case Condition::Temperature:
            storeTemperature(m_state, value);
            break;
        case Condition::Pressure:
            storePressure(m_state, value);
            break;
        case Condition::RelHumidity:
            storeRelHumidity(m_state, value);
            break;
        case Condition::Cartridges:
            storeCartridges(m_state, value);
            break;
        case Condition::AirFlow:
            storeAirFlow(m_state, value);
            break;
    }
    m_conditionTexts[static_cast<std::size_t>(condition)] = text;
    emit conditionsChanged();
}

void CalcDocument::setConditions(const UseConditions& conditions,
                                 const std::array<QString, kConditionCount>& texts) {
    storeConditions(m_state, conditions);
    for (std::size_t i = 0; i < kConditionCount; ++i) {
        m_conditionTexts[i] = texts[i];
    }
    emit conditionsChanged();
}

const std::optional<QString>& CalcDocument::conditionText(Condition condition) const {
    return m_conditionTexts[static_cast<std::size_t>(condition)];
}

CalculateOutcome CalcDocument::calculate(std::span<const BreakthroughRow> rows,
                                         const std::function<void()>& clearResults) {
    // A run sorts the vapors into the order they break through before it can fail; a failed run
    // gives the inputs back as the screens show them, so that the next edit of a row reaches the
    // vapor it shows.
    CalcState ran = m_state;
    const CalculateOutcome outcome = Calculate(ran, rows, clearResults);
    acceptRun(std::move(ran), outcome);
    return outcome;
}

void CalcDocument::acceptRun(CalcState ran, const CalculateOutcome& outcome) {
    if (outcome.status == CalculateStatus::Done) {
        m_state = std::move(ran);
        emit resultsChanged();
    }
}

void CalcDocument::setSchedule(const ScheduleInputs& schedule) {
    storeSchedule(m_state, schedule);
    emit programmeChanged();
}

void CalcDocument::setExposure(const ExposureInputs& exposure) {
    storeExposure(m_state, exposure);
    emit programmeChanged();
}

void CalcDocument::setExposureLimits(int slot, std::optional<double> oel, std::optional<double> idlh) {
    storeExposureLimits(m_state, slot, oel, idlh);
    emit programmeChanged();
}

void CalcDocument::setReportHeader(const ReportHeader& header) {
    storeReportHeader(m_state, header);
    emit programmeChanged();
}

void CalcDocument::openCalculation(const calc::Scenario& opened, const QString& file) {
    m_state = opened.state;
    // The use conditions read as they would have been typed on the use conditions screen.
    const UseConditions typed = calc::conditionEntries(m_state);
    const auto text = [](double entry) { return QString::fromStdString(generalText(entry)); };
    m_conditionTexts = {text(typed.temperature), text(typed.pressure), text(typed.relHumidity),
                        text(typed.cartridges), text(typed.airFlow)};
    markSaved(file);
    emit calculationOpened();
    emit cartridgeChanged();
    for (int slot = kFirstSlot; slot <= kMaxVapors; ++slot) {
        emit vaporChanged(slot);
    }
    emit conditionsChanged();
    emit programmeChanged();
}

void CalcDocument::markSaved(const QString& file) {
    m_savedInputs = m_state;
    m_fileName = file;
}

bool CalcDocument::hasUnsavedChanges() const {
    return !calc::sameInputs(m_state, m_savedInputs);
}

}  // namespace quandrelle
