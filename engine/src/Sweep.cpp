#include "quandrelle/engine/Sweep.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "quandrelle/engine/CalcError.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle {

std::string_view sweepQuantityName(SweepQuantity quantity) {
    switch (quantity) {
        case SweepQuantity::RelHumidity:
            return "relHumidity";
        case SweepQuantity::ConcentrationScale:
            return "concentrationScale";
        case SweepQuantity::AirFlow:
            return "airFlow";
        case SweepQuantity::Temperature:
            return "temperature";
    }
    return {};
}

std::optional<SweepQuantity> sweepQuantityNamed(std::string_view name) {
    for (const SweepQuantity quantity : kSweepQuantities) {
        if (sweepQuantityName(quantity) == name) {
            return quantity;
        }
    }
    return std::nullopt;
}

std::vector<double> sweepValues(const SweepRange& range) {
    std::vector<double> values;
    if (range.count < 1) {
        return values;
    }
    values.reserve(static_cast<std::size_t>(range.count));
    const int last = range.count - 1;
    for (int i = 0; i <= last; ++i) {
        // Each value from its index, so that no rounding builds up and both ends are exact.
        if (i == 0 || i == last) {
            values.push_back(i == 0 ? range.from : range.to);
        } else if (range.logarithmic) {
            values.push_back(range.from * std::pow(range.to / range.from, static_cast<double>(i) / last));
        } else {
            values.push_back(range.from + (range.to - range.from) * i / last);
        }
    }
    return values;
}

double operatingValue(const CalcState& state, SweepQuantity quantity) {
    switch (quantity) {
        case SweepQuantity::RelHumidity:
            // The percentage the results screen shows for the stored fraction.
            return std::strtod(generalText(state.relHumidity * 100.0f).c_str(), nullptr);
        case SweepQuantity::ConcentrationScale:
            return 1;
        case SweepQuantity::AirFlow:
            return std::strtod(generalText(state.airFlow).c_str(), nullptr);
        case SweepQuantity::Temperature:
            return std::strtod(generalText(state.tempC).c_str(), nullptr);
    }
    return 0;
}

void storeSweptValue(CalcState& state, SweepQuantity quantity, double value) {
    switch (quantity) {
        case SweepQuantity::RelHumidity:
            storeRelHumidity(state, value);
            return;
        case SweepQuantity::ConcentrationScale:
            for (int n = 1; n <= state.vaporCount; ++n) {
                storeConcentration(state, n, state.vapors[n].avgConc * value);
            }
            return;
        case SweepQuantity::AirFlow:
            storeAirFlow(state, value);
            // The water uptake of the bed follows the flow through its face.
            setFaceVelocity(state);
            return;
        case SweepQuantity::Temperature:
            storeTemperature(state, value);
            return;
    }
}

std::vector<BreakthroughRow> breakthroughRowsOf(const CalcState& state) {
    std::vector<BreakthroughRow> rows;
    for (int n = 1; n <= state.vaporCount; ++n) {
        const double shown = std::strtod(generalText(state.vapors[n].avgConc).c_str(), nullptr);
        rows.push_back({shown, state.breakConc[n]});
    }
    return rows;
}

namespace {

bool sameEntry(const CalcState& a, int slotA, const CalcState& b, int slotB) {
    const VaporData& x = a.vapors[slotA];
    const VaporData& y = b.vapors[slotB];
    return x.chemName == y.chemName && x.casNumber == y.casNumber && x.molWt == y.molWt &&
           x.liqDensity == y.liqDensity && x.molPolariz == y.molPolariz &&
           x.waterSolFactor == y.waterSolFactor && x.avgConc == y.avgConc && x.antoineA == y.antoineA &&
           x.antoineB == y.antoineB && x.antoineC == y.antoineC && a.breakConc[slotA] == b.breakConc[slotB];
}

// Each vapor moves with all its entered values, so it is found again by them; vapors entered
// twice alike take their positions in entry order.
std::array<int, kSlotCount> positionsOfEntries(const CalcState& entered, const CalcState& run) {
    std::array<int, kSlotCount> positions{};
    std::array<bool, kSlotCount> taken{};
    for (int n = 1; n <= entered.vaporCount; ++n) {
        for (int p = 1; p <= run.vaporCount; ++p) {
            if (!taken[static_cast<std::size_t>(p)] && sameEntry(entered, n, run, p)) {
                positions[static_cast<std::size_t>(n)] = p;
                taken[static_cast<std::size_t>(p)] = true;
                break;
            }
        }
    }
    return positions;
}

SweepPoint calculatePoint(CalcState state, double value) {
    SweepPoint point;
    point.value = value;
    const CalcState entered = state;
    point.outcome = Calculate(state, breakthroughRowsOf(state));
    if (point.outcome.status == CalculateStatus::Done) {
        point.positionOfEntry = positionsOfEntries(entered, state);
    }
    point.state = std::move(state);
    return point;
}

}  // namespace

SweepPoint runSweepPoint(CalcState state, SweepQuantity quantity, double value) {
    try {
        storeSweptValue(state, quantity, value);
    } catch (const CalcError& error) {
        SweepPoint point;
        point.value = value;
        point.outcome = CalculateOutcome{CalculateStatus::Failed, error.description(), false};
        point.state = std::move(state);
        return point;
    }
    return calculatePoint(std::move(state), value);
}

SweepPoint runOperatingPoint(CalcState state, SweepQuantity quantity) {
    const double value = operatingValue(state, quantity);
    return calculatePoint(std::move(state), value);
}

}  // namespace quandrelle
