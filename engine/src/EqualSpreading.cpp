// The second solver of the mixture equilibrium: the same equations as the iterative solver (the
// spreading pressures of the truncated error-function series, equal within 10^-6 for every vapor
// of the stage, the fractions summing to the stage's starting sum), solved by nested bisection,
// which always ends.
//
// Why the iterative solver can fail to settle: each of its passes matches the other vapors to the
// reference vapor on a grid of 0.0001 and then divides every fraction by their sum, so from the
// second pass on the fractions sum to 1. Its stop test compares the matched sum with the sum the
// stage started from, which at the first solution of every later stage is below 1 (the vapor that
// has broken through took the rest). When the first pass misses that sum by more than 0.001 (small
// fractions lose a quarter of their value to the grid), the passes settle on the sum 1 instead and
// circle there between neighbouring grid points, or stand still, for ever.
//
// Which solution: the truncated series rises only between its turning points (reduced potential
// -1.4767 to 1.4767) and falls outside, so a vapor's spreading pressure can take the same value at
// up to three fractions. Only on the middle stretch does the spreading pressure fall as the
// fraction grows, as it does for the true error function at every fraction; the outer stretches
// exist only because the series is cut. Every vapor is kept on that falling stretch. There the
// other vapors' fractions grow with the reference vapor's fraction, so the sum grows with it and
// at most one solution exists: the one taken. When the sum cannot be reached there, no
// equilibrium exists under the model.

#include <cmath>

#include "Checked.h"
#include "IAST.h"
#include "ModBreakTime.h"

namespace quandrelle {

namespace {

// More halvings than a double interval can take before its ends meet.
constexpr int kMaxHalvings = 2000;

}  // namespace

// The positive root of the series' derivative, 1 - u^2 + u^4/2 - u^6/6 + u^8/24 - u^10/120.
double erfTurningPoint() {
    static const double turn = [] {
        auto slope = [](double u) {
            const double u2 = u * u;
            return 1 - u2 + u2 * u2 / 2 - std::pow(u2, 3) / 6 + std::pow(u2, 4) / 24 - std::pow(u2, 5) / 120;
        };
        // The root lies between these: the slope is positive at the first, negative at the second.
        constexpr double kBelowTurn = 1.4;
        constexpr double kAboveTurn = 1.6;
        double rising = kBelowTurn;
        double falling = kAboveTurn;
        for (int i = 0; i < kMaxHalvings; ++i) {
            const double mid = rising + (falling - rising) / 2;
            if (mid <= rising || mid >= falling) {
                break;
            }
            (slope(mid) > 0 ? rising : falling) = mid;
        }
        return rising;
    }();
    return turn;
}

namespace {

// One vapor on the falling stretch of its spreading pressure, as a function of its reduced
// potential u there.
class FallingStretch {
public:
    FallingStretch(const CalcState& state, int slot)
        : m_affinity(state.vapors[slot].affinityCoef),
          m_molVolume(state.vapors[slot].molVolume),
          m_pressureRatio(state.partialPress[slot] / state.vapors[slot].satPressure),
          m_energyPerPotential(state.benzenePotential * state.vapors[slot].affinityCoef /
                               (kGasConstant * state.tempK)) {}

    double spreadPressure(double u) const { return m_affinity * (1 - truncatedErf(u)) / m_molVolume; }

    // The inverse of the reduced potential u = R T ln(p_sat x / p) / (E0 beta).
    double fraction(double u) const { return m_pressureRatio * std::exp(u * m_energyPerPotential); }

    // The reduced potential at which the spreading pressure equals `target`, or the end of the
    // stretch nearest to it when the stretch does not reach it.
    double potentialFor(double target) const {
        double low = -erfTurningPoint();  // highest spreading pressure
        double high = erfTurningPoint();  // lowest
        if (spreadPressure(low) <= target) {
            return low;
        }
        if (spreadPressure(high) >= target) {
            return high;
        }
        for (int i = 0; i < kMaxHalvings; ++i) {
            const double mid = low + (high - low) / 2;
            if (mid <= low || mid >= high) {
                break;
            }
            (spreadPressure(mid) > target ? low : high) = mid;
        }
        return std::fabs(spreadPressure(low) - target) < std::fabs(spreadPressure(high) - target) ? low
                                                                                                  : high;
    }

private:
    double m_affinity;
    double m_molVolume;
    double m_pressureRatio;
    double m_energyPerPotential;
};

bool isGone(const CalcState& state, int slot) {
    return !(state.partialPress[slot] > 0);
}

}  // namespace

std::optional<AdsorbedFractions> BracketAdsorbedFractions(const CalcState& state, double targetSum) {
    const int k = state.mixCount;
    int reference = k;
    while (reference > 0 && isGone(state, reference)) {
        --reference;
    }
    if (reference == 0 || !(targetSum > 0) || !std::isfinite(targetSum)) {
        return std::nullopt;
    }
    std::vector<std::pair<int, FallingStretch>> others;
    for (int i = 1; i <= k; ++i) {
        if (i != reference && !isGone(state, i)) {
            others.emplace_back(i, FallingStretch(state, i));
        }
    }
    const FallingStretch referenceStretch(state, reference);
    AdsorbedFractions fractions{};
    // The fractions at one reduced potential of the reference vapor; gone vapors keep 0.
    auto fractionsAt = [&](double u) {
        fractions[static_cast<std::size_t>(reference)] = referenceStretch.fraction(u);
        double sum = fractions[static_cast<std::size_t>(reference)];
        const double target = referenceStretch.spreadPressure(u);
        for (const auto& [slot, stretch] : others) {
            fractions[static_cast<std::size_t>(slot)] = stretch.fraction(stretch.potentialFor(target));
            sum += fractions[static_cast<std::size_t>(slot)];
        }
        return sum;
    };

    double low = -erfTurningPoint();
    double high = erfTurningPoint();
    if (others.empty()) {
        fractions[static_cast<std::size_t>(reference)] = targetSum;
    } else {
        if (!(fractionsAt(low) <= targetSum && fractionsAt(high) >= targetSum)) {
            return std::nullopt;
        }
        for (int i = 0; i < kMaxHalvings; ++i) {
            const double mid = low + (high - low) / 2;
            if (mid <= low || mid >= high) {
                break;
            }
            (fractionsAt(mid) < targetSum ? low : high) = mid;
        }
        const double lowMiss = std::fabs(fractionsAt(low) - targetSum);
        fractionsAt(std::fabs(fractionsAt(high) - targetSum) < lowMiss ? high : low);
    }
    if (!satisfiesEquilibrium(state, fractions, targetSum)) {
        return std::nullopt;
    }
    return fractions;
}

bool satisfiesEquilibrium(const CalcState& state, const AdsorbedFractions& fractions, double targetSum) {
    const int k = state.mixCount;
    int reference = k;
    while (reference > 0 && isGone(state, reference)) {
        --reference;
    }
    if (reference == 0) {
        return false;
    }
    try {
        const double referenceSpread =
            spreadingPressureAt(state, reference, fractions[static_cast<std::size_t>(reference)])
                .spreadPressure;
        double sum = 0;
        for (int i = 1; i <= k; ++i) {
            const double x = fractions[static_cast<std::size_t>(i)];
            sum += x;
            if (isGone(state, i)) {
                if (x != 0) {
                    return false;
                }
            } else if (!(std::fabs(spreadingPressureAt(state, i, x).spreadPressure - referenceSpread) <=
                         kSpreadPressureTolerance)) {
                return false;
            }
        }
        return std::fabs(sum - targetSum) <= kFractionSumTolerance;
    } catch (const CalcError&) {
        return false;
    }
}

}  // namespace quandrelle
