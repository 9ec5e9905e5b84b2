#include "quandrelle/engine/IAST.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "Checked.h"
#include "StageTerms.h"
#include "quandrelle/engine/BTSorting.h"
#include "quandrelle/engine/HumidityZones.h"
#include "quandrelle/engine/ModBreakTime.h"
#include "quandrelle/engine/WtdCalcs.h"

namespace quandrelle {

namespace {

// Beyond this reduced potential the truncated error function only falls (its derivative's last
// positive root lies at 1.4767), so a vapor's spreading pressure only rises as its fraction grows.
constexpr double kFallingErfFrom = 1.5;

std::string stageText(const CalcState& state) {
    return "stage " + std::to_string(state.mixCount);
}

[[noreturn]] void scanFails(const CalcState& state, int slot, const std::string& reason) {
    checked::fail(CalcErrorKind::NoConvergence,
                  "No convergence in the mixture equilibrium (" + stageText(state) +
                      "): no adsorbed fraction of " + vaporLabel(state, slot) +
                      " matches the spreading pressure of " + vaporLabel(state, state.mixCount) + "; " +
                      reason + ". Please check the vapor data.");
}

// True when the scan of vapor `slot` can be shown never to end: its spreading pressure is still
// too high and can only rise from here, while the reference vapor's stays as it is.
bool scanCannotEnd(const CalcState& state, int slot, double difference) {
    const VaporData& vapor = state.vapors[slot];
    return state.vaporCount != 2 && difference >= 2 && state.potentialRatio[slot] >= kFallingErfFrom &&
           vapor.affinityCoef > 0 && vapor.molVolume > 0 && state.benzenePotential > 0 && state.tempK > 0;
}

using Fractions = std::array<double, kSlotCount>;

Fractions fractionsOf(const CalcState& state) {
    Fractions fractions{};
    for (int i = 1; i <= state.mixCount; ++i) {
        fractions[static_cast<std::size_t>(i)] = state.adsFraction[i];
    }
    return fractions;
}

std::string mixtureNames(const CalcState& state) {
    std::string names;
    for (int i = 1; i <= state.mixCount; ++i) {
        names += (i == 1 ? "" : i == state.mixCount ? " and " : ", ") + vaporLabel(state, i);
    }
    return names;
}

}  // namespace

double truncatedErf(double u) {
    auto where = [] { return std::string("the spreading pressure"); };
    const double series = u - checked::pow(u, 3, where) / 3 + checked::pow(u, 5, where) / 10 -
                          checked::pow(u, 7, where) / 42 + checked::pow(u, 9, where) / 216 -
                          checked::pow(u, 11, where) / 1320;
    return checked::finite(1.12838 * series, where);
}

void InitialFractions(CalcState& state) {
    const int k = state.mixCount;
    const double total = StagePressure(state, k);
    for (int i = 1; i <= k; ++i) {
        state.adsFraction[i] = checked::div(state.partialPress[i], total, [&] {
            return "the mixture equilibrium: the partial pressures of the vapors sum to 0 (" +
                   stageText(state) + ")";
        });
    }
}

void SpreadingPressure(CalcState& state, int slot) {
    const VaporData& vapor = state.vapors[slot];
    const double p = state.partialPress[slot];
    auto where = [&] {
        return "the mixture equilibrium (spreading pressure of " + vaporLabel(state, slot) + ")";
    };
    if (p == 0) {
        checked::fail(CalcErrorKind::DivisionByZero,
                      "Division by zero in the mixture equilibrium: the partial pressure of " +
                          vaporLabel(state, slot) + " fell to 0 in " + stageText(state));
    }
    const double ratio = checked::div(vapor.satPressure * state.adsFraction[slot], p, where);
    state.potentialRatio[slot] = checked::div(kGasConstant * state.tempK * checked::log(ratio, where),
                                              state.benzenePotential * vapor.affinityCoef, where);
    state.erfValue[slot] = truncatedErf(state.potentialRatio[slot]);
    state.spreadPressure[slot] = checked::div(
        checked::finite(vapor.affinityCoef * (1 - state.erfValue[slot]), where), vapor.molVolume, where);
}

void NormalizeFractions(CalcState& state, int n) {
    double sum = 0;
    for (int j = 1; j <= n; ++j) {
        sum += state.adsFraction[j];
    }
    state.mixSum = sum;
    for (int j = 1; j <= n; ++j) {
        state.adsFraction[j] = checked::div(state.adsFraction[j], state.mixSum, [&] {
            return "the mixture equilibrium: the adsorbed fractions sum to 0 (" + stageText(state) + ")";
        });
    }
}

namespace {

// The scan as the model states it: one step of the fraction at a time, both spreading pressures
// evaluated at every step.
double scanStepByStep(CalcState& state, int slot, double d) {
    const int k = state.mixCount;
    const bool normalizeEachStep = state.vaporCount == 2;
    std::int64_t steps = 0;
    while (d > 1) {
        const double before = state.adsFraction[slot];
        const double referenceBefore = state.adsFraction[k];
        state.adsFraction[slot] = state.adsFraction[slot] + kFractionStep;
        if (normalizeEachStep) {
            NormalizeFractions(state, 2);
        }
        if (state.adsFraction[slot] == before && state.adsFraction[k] == referenceBefore) {
            scanFails(state, slot, "its fraction stopped growing at " + std::to_string(before));
        }
        SpreadingPressure(state, slot);
        SpreadingPressure(state, k);
        d = 1e6 * (state.spreadPressure[slot] - state.spreadPressure[k]);
        if (scanCannotEnd(state, slot, d)) {
            scanFails(state, slot, "its spreading pressure stays above and rises with the fraction");
        }
        if (++steps >= kMaxScanSteps) {
            scanFails(state, slot, "the search passed " + std::to_string(kMaxScanSteps) + " steps");
        }
    }
    return state.adsFraction[slot];
}

// Which stretch of the truncated error function a reduced potential lies on: the function rises
// between -1.4767 and 1.4767 and falls outside. Near the turning points the answer is "unknown".
int monotoneStretch(double u) {
    constexpr double kTurn = 1.4767;
    constexpr double kGuard = 0.01;
    if (u < -kTurn - kGuard) {
        return -1;
    }
    if (u > -kTurn + kGuard && u < kTurn - kGuard) {
        return 0;
    }
    if (u > kTurn + kGuard) {
        return 1;
    }
    return 2;  // unknown
}

// The fraction after `count` steps of the scan from x, exactly as `count` additions of the step
// would leave it; NaN when an addition would no longer change it. Within one binary exponent range
// every addition of the step to a representable fraction rounds the same way (unless the rounding
// is a tie, which the check of both neighbouring fractions catches), so runs of additions there are
// one multiplication.
double afterSteps(double x, std::int64_t count) {
    while (count > 0) {
        const double delta = (x + kFractionStep) - x;
        if (delta == 0) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        int exponent = 0;
        std::frexp(x, &exponent);
        const double top = std::ldexp(1.0, exponent);  // start of the next exponent range
        const double neighbour = std::nextafter(x, top);
        std::int64_t inRange = 0;
        if (neighbour < top && (neighbour + kFractionStep) - neighbour == delta) {
            inRange = static_cast<std::int64_t>((top - x) / delta);
            while (inRange > 0 && x + static_cast<double>(inRange) * delta >= top) {
                --inRange;
            }
        }
        if (inRange <= 1) {
            x = x + kFractionStep;
            --count;
            continue;
        }
        const std::int64_t taken = std::min(count, inRange);
        x = x + static_cast<double>(taken) * delta;
        count -= taken;
    }
    return x;
}

// The same scan, reaching the same fraction, with far fewer evaluations. The fractions it passes
// through are the same sums of steps, formed one addition at a time. A run of steps is passed
// over only when both of its ends lie on one monotone stretch of the spreading pressure and are
// clearly above the match, so that no step between them can be a match; the reference vapor's
// spreading pressure does not change during the scan and is evaluated once. The last steps before
// the match are always evaluated one by one.
double scanWithLeaps(CalcState& state, int slot, double d) {
    constexpr std::int64_t kFirstLeap = 64;
    constexpr std::int64_t kLongestLeap = 1 << 16;
    const int k = state.mixCount;
    const double spreadK = state.spreadPressure[k];
    const VaporData& vapor = state.vapors[slot];
    auto differenceAt = [&](double x) {
        state.adsFraction[slot] = x;
        SpreadingPressure(state, slot);
        return 1e6 * (state.spreadPressure[slot] - spreadK);
    };
    // Bounds the rounding of the computed spreading pressure (far above it): the series' terms
    // grow like u^11.
    auto margin = [&](double u) {
        return 1e-3 +
               1e-3 * (1 + std::pow(std::fabs(u), 11)) * std::fabs(vapor.affinityCoef / vapor.molVolume);
    };

    double x = state.adsFraction[slot];
    double u = state.potentialRatio[slot];
    std::int64_t steps = 0;
    std::int64_t leap = kFirstLeap;
    while (d > 1) {
        const double y = afterSteps(x, leap);
        if (std::isnan(y)) {
            scanFails(state, slot, "its fraction stopped growing");
        }
        const double dY = differenceAt(y);
        const double uY = state.potentialRatio[slot];
        const bool passable =
            leap == 1 || (monotoneStretch(u) != 2 && monotoneStretch(u) == monotoneStretch(uY) &&
                          dY > 1 + margin(std::max(std::fabs(u), std::fabs(uY))));
        if (!passable) {
            leap /= 2;
            continue;
        }
        x = y;
        u = uY;
        d = dY;
        steps += leap;
        leap = std::min(leap * 2, kLongestLeap);
        if (scanCannotEnd(state, slot, d)) {
            scanFails(state, slot, "its spreading pressure stays above and rises with the fraction");
        }
        if (steps >= kMaxScanSteps) {
            scanFails(state, slot, "the search passed " + std::to_string(kMaxScanSteps) + " steps");
        }
    }
    return state.adsFraction[slot];
}

double matchSpreadingPressure(CalcState& state, int slot, bool leaps) {
    const int k = state.mixCount;
    state.adsFraction[slot] = kFractionStep;
    SpreadingPressure(state, slot);
    SpreadingPressure(state, k);
    const double d = 1e6 * (state.spreadPressure[slot] - state.spreadPressure[k]);
    // With two vapors every step renormalises both fractions, so the reference vapor's spreading
    // pressure moves too: that scan is always made step by step.
    if (leaps && state.vaporCount != 2 && slot != k) {
        return scanWithLeaps(state, slot, d);
    }
    return scanStepByStep(state, slot, d);
}

void solveAdsorbedFractions(CalcState& state, bool leaps);

}  // namespace

double MatchSpreadingPressure(CalcState& state, int slot) {
    return matchSpreadingPressure(state, slot, true);
}

void SolveAdsorbedFractions(CalcState& state) {
    solveAdsorbedFractions(state, true);
}

namespace {

void solveAdsorbedFractions(CalcState& state, bool leaps) {
    const int k = state.mixCount;
    double startSum = 0;
    for (int i = 1; i <= k; ++i) {
        startSum += state.adsFraction[i];
    }
    // Each pass is determined by the fractions it starts from, so fractions seen before mean the
    // passes will repeat for ever.
    std::map<Fractions, std::int64_t> seen{{fractionsOf(state), 0}};
    std::int64_t passes = 0;
    double diff = 1;
    while (std::fabs(diff) > 0.001) {
        for (int i = 1; i <= 4; ++i) {
            if (k > i) {
                state.adsFraction[i] = matchSpreadingPressure(state, i, leaps);
            }
        }
        double sum = 0;
        for (int i = 1; i <= k; ++i) {
            sum += state.adsFraction[i];
        }
        state.mixSum = sum;
        for (int i = 1; i <= k; ++i) {
            state.adsFraction[i] = checked::div(state.adsFraction[i], state.mixSum, [&] {
                return "the mixture equilibrium: the adsorbed fractions sum to 0 (" + stageText(state) + ")";
            });
        }
        diff = state.mixSum - startSum;
        if (std::fabs(diff) <= 0.001) {
            break;
        }
        ++passes;
        const auto [earlier, isNew] = seen.emplace(fractionsOf(state), passes);
        if (!isNew) {
            checked::fail(CalcErrorKind::NoConvergence,
                          "No convergence in the mixture equilibrium (" + stageText(state) +
                              "): the adsorbed fractions of " + mixtureNames(state) + " repeat every " +
                              std::to_string(passes - earlier->second) +
                              " passes without settling. Please check the vapor data.");
        }
        if (passes >= kMaxSolverPasses) {
            checked::fail(CalcErrorKind::NoConvergence,
                          "No convergence in the mixture equilibrium (" + stageText(state) +
                              "): the adsorbed fractions of " + mixtureNames(state) + " did not settle in " +
                              std::to_string(kMaxSolverPasses) + " passes. Please check the vapor data.");
        }
    }
}

}  // namespace

double StagePressure(const CalcState& state, int n) {
    double sum = 0;
    for (int j = 1; j <= n; ++j) {
        sum += state.partialPress[j];
    }
    return sum;
}

void updateStageCapacities(CalcState& state, StageCache& cache) {
    const int k = state.mixCount;
    for (int i = 1; i <= k; ++i) {
        state.molarCapacity[i] = cache.vaporCapacity(state, i);
        state.stagePress[i] = state.partialPress[i];
        const double dry = cache.mixCapacityDry(state, i);
        state.zoneOrganic[i] = dry * cache.mixMolarVolume(state, i);
    }
    state.brokenCapacity = state.molarCapacity[k];
    state.brokenPressure = state.stagePress[k];
}

void UpdateStageCapacities(CalcState& state) {
    StageCache plain(false);
    updateStageCapacities(state, plain);
}

namespace {

void simulateStage(CalcState& state, bool perStageConstants) {
    const int k = state.mixCount;
    StageCache cache(perStageConstants);
    state.elapsedTime = 0;
    while (state.elapsedTime < state.breakTime[k]) {
        state.elapsedTime = state.elapsedTime + 0.1;
        if (state.elapsedTime > kMaxServiceMinutes) {
            checked::fail(CalcErrorKind::NoConvergence,
                          "No breakthrough time for " + vaporLabel(state, k) + " (" + stageText(state) +
                              "): the simulated service time passed 100000 minutes (more than 69 days of "
                              "continuous use), longer than any cartridge is worn. Please check the "
                              "concentrations and the cartridge data.");
        }
        updateZones(state, cache);
        updateStageCapacities(state, cache);
        evaluateVapors(state, cache);
    }
}

void mixtureSequence(CalcState& state, bool perStageConstants) {
    int k = state.mixCount;
    state.runReport = RunReport{};
    InitialFractions(state);
    OrderByPolarizability(state);
    solveAdsorbedFractions(state, perStageConstants);
    OrderByStoichiometricTime(state);
    for (int i = 1; i <= k; ++i) {
        state.zoneOrganic[i] = MixCapacityDry(state, i) * MixMolarVolume(state, i);
    }
    state.breakTime[k] = StoichiometricTime(state, k);
    simulateStage(state, perStageConstants);
    state.breakTimeResult[state.vaporCount] = state.breakTime[state.vaporCount];
    UpdateStageCapacities(state);
    state.totalPressure[k] = StagePressure(state, k);

    while (k > 1) {
        state.mixCount = static_cast<std::int16_t>(k - 1);
        k = state.mixCount;
        solveAdsorbedFractions(state, perStageConstants);
        // Ahead of the front that has just broken through, the weaker vapors are pushed off the
        // carbon it took: their partial pressures roll up by the capacity they lose.
        for (int pass = 0; pass < kRollUpPasses; ++pass) {
            for (int i = 1; i <= k; ++i) {
                auto where = [&] {
                    return "the roll-up of " + vaporLabel(state, i) + " (" + stageText(state) + ")";
                };
                const double lost = VaporCapacity(state, i) - state.molarCapacity[i];
                const double rise = checked::div(checked::finite(state.brokenPressure * lost, where),
                                                 state.brokenCapacity, where);
                state.partialPress[i] = checked::finite(state.stagePress[i] + rise, where);
                if (state.partialPress[i] < 0) {
                    state.partialPress[i] = 0;
                }
            }
            state.totalPressure[k] = StagePressure(state, k);
            solveAdsorbedFractions(state, perStageConstants);
        }
        state.breakTime[k] = StoichiometricTime(state, k);
        simulateStage(state, perStageConstants);
        state.totalPressure[k] = StagePressure(state, k);
        state.breakTimeResult[k] = state.breakTime[k];
    }
}

}  // namespace

void SimulateStage(CalcState& state) {
    simulateStage(state, true);
}

void MixtureSequence(CalcState& state) {
    mixtureSequence(state, true);
}

void MixtureSequenceStepByStep(CalcState& state) {
    mixtureSequence(state, false);
}

}  // namespace quandrelle
