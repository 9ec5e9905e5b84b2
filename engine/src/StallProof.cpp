#include "StallProof.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <unordered_set>
#include <vector>

#include "IAST.h"
#include "ModelConstants.h"
#include "quandrelle/engine/RunStop.h"

namespace quandrelle {

namespace {

// Cells of reference fractions are [e^(i/N), e^((i+1)/N)]: fine enough that the pass's bounds
// over a cell stay close to the orbit, coarse enough that a stalled solver's orbit takes a few
// hundred of them.
constexpr double kCellsPerUnitLog = 256;
// Beyond this many cells the proof is given up: the passes go on as before.
constexpr std::size_t kCellBudget = 1500;
// Bounds the rounding of a computed spreading pressure relative to the size of the series' terms
// (about four thousand times the double's own rounding).
constexpr double kRoundingPerTerm = 1e-12;
// Far more than the rounding of a computed reduced potential: a turning point this close outside
// the potentials at a cell's ends is counted as inside.
constexpr double kTurnGuard = 1e-6;
// Widens the fraction at which a scan was shown never to end, far beyond the few grid steps by
// which a scan against a higher reference could pass it.
constexpr double kScanEndMargin = 1.01;

// The truncated series' terms, in size: 2/sqrt(pi) |u|^(2n+1) / (n! (2n+1)), n = 0..5.
double seriesTermsSize(double u) {
    constexpr std::array<double, 6> kDivisors{1, 3, 10, 42, 216, 1320};
    const double a = std::fabs(u);
    double power = a;
    double total = 0;
    for (const double divisor : kDivisors) {
        total += power / divisor;
        power *= a * a;
    }
    constexpr double kTwoOverRootPi = 1.12838;
    return kTwoOverRootPi * total;
}

double cellStart(int cell) {
    return std::exp(static_cast<double>(cell) / kCellsPerUnitLog);
}

// The cell whose closed interval holds x (x > 0).
int cellOf(double x) {
    int cell = static_cast<int>(std::floor(std::log(x) * kCellsPerUnitLog));
    while (cellStart(cell) > x) {
        --cell;
    }
    while (cellStart(cell + 1) < x) {
        ++cell;
    }
    return cell;
}

// The reference fractions the passes from a cell leave; none when every pass from it fails.
struct FractionRange {
    bool none = true;
    double low = 0;
    double high = 0;
};

// One pass of the iterative solver bounded over a cell of reference fractions.
class PassBounds {
public:
    PassBounds(const CalcState& state, double startSum, double tolerance, const ScanToReference& scan)
        : m_state(state), m_startSum(startSum), m_tolerance(tolerance), m_scan(scan) {}

    // The reference fractions a pass from any fraction of [a, b] leaves; nothing when such a pass
    // might meet the stop test or cannot be bounded.
    std::optional<FractionRange> image(double a, double b) {
        const std::optional<SpreadRange> spread = referenceSpread(a, b);
        if (!spread) {
            return std::nullopt;
        }
        // A higher reference pressure stops every scan sooner: the least scanned fractions.
        const std::optional<ScannedSum> least = scannedSum(spread->highest);
        const std::optional<ScannedSum> most = scannedSum(spread->lowest);
        if (!least || !most) {
            return std::nullopt;
        }
        if (!least->allEnded) {
            // Some scan cannot end at any fraction of the cell: every pass from it fails.
            return FractionRange{};
        }
        // The pass adds the reference fraction last, and tests the sum against the starting one.
        const double leastSum = least->sum + a;
        const double mostSum = most->sum + b;
        const bool alwaysAbove = leastSum - m_startSum > m_tolerance;
        const bool alwaysBelow = mostSum - m_startSum < -m_tolerance;
        if (!(alwaysAbove || alwaysBelow) || !(leastSum > 0) || !std::isfinite(mostSum)) {
            return std::nullopt;
        }
        // A fraction divided by a sum that holds it is at most 1.
        return FractionRange{false, a / mostSum, std::min(b / leastSum, 1.0)};
    }

private:
    struct SpreadRange {
        double lowest = 0;
        double highest = 0;
    };

    // The reference vapor's spreading pressure, as computed, at every fraction of [a, b]. The
    // reduced potential grows with the fraction, and the series between two potentials takes its
    // extremes at the ends or at a turning point between them; the range is widened by twice the
    // bound on the rounding, once for the values taken, once for the fractions between.
    std::optional<SpreadRange> referenceSpread(double a, double b) const {
        const int k = m_state.mixCount;
        const VaporData& reference = m_state.vapors[k];
        const SpreadingTerms atA = spreadingPressureAt(m_state, k, a);
        const SpreadingTerms atB = spreadingPressureAt(m_state, k, b);
        SpreadRange range{std::min(atA.spreadPressure, atB.spreadPressure),
                          std::max(atA.spreadPressure, atB.spreadPressure)};
        const double uLow = std::min(atA.potentialRatio, atB.potentialRatio) - kTurnGuard;
        const double uHigh = std::max(atA.potentialRatio, atB.potentialRatio) + kTurnGuard;
        for (const double turn : {-erfTurningPoint(), erfTurningPoint()}) {
            if (turn >= uLow && turn <= uHigh) {
                const double atTurn = reference.affinityCoef * (1 - truncatedErf(turn)) / reference.molVolume;
                range.lowest = std::min(range.lowest, atTurn);
                range.highest = std::max(range.highest, atTurn);
            }
        }
        const double rounding =
            2 * kRoundingPerTerm * std::fabs(reference.affinityCoef / reference.molVolume) *
            (1 + std::max(seriesTermsSize(atA.potentialRatio), seriesTermsSize(atB.potentialRatio)));
        range.lowest -= rounding;
        range.highest += rounding;
        if (!std::isfinite(range.lowest) || !std::isfinite(range.highest)) {
            return std::nullopt;
        }
        return range;
    }

    struct ScannedSum {
        double sum = 0;
        bool allEnded = true;
    };

    // The sum of the other vapors' scanned fractions, in the pass's order; a scan that cannot end
    // counts with a bound on where the scans that end against higher references stop.
    std::optional<ScannedSum> scannedSum(double referenceSpread) {
        CalcState scratch = m_state;
        ScannedSum scanned;
        try {
            for (int i = 1; i < m_state.mixCount; ++i) {
                const std::optional<ScanEnd> never = scanNeverEnds(i, referenceSpread);
                const ScanEnd end = never ? *never : m_scan(scratch, i, referenceSpread);
                scanned.allEnded = scanned.allEnded && end.ended;
                scanned.sum += end.ended ? end.fraction : end.fraction * kScanEndMargin + kFractionStep;
            }
        } catch (const CalcError&) {
            return std::nullopt;
        }
        return scanned;
    }

    // A scan that cannot end, shown without taking its steps: from its first fraction on, the
    // vapor's spreading pressure falls only until the turning point of the series and rises after
    // it, so when neither its first value nor its value at the turning point comes within the
    // tolerance of the reference, none does. Scans against higher references that end stop before
    // the turning point's fraction. Near that point a scan cannot leap, and could take a hundred
    // thousand steps to find out.
    std::optional<ScanEnd> scanNeverEnds(int slot, double referenceSpread) const {
        const VaporData& vapor = m_state.vapors[slot];
        const SpreadingTerms first = spreadingPressureAt(m_state, slot, kFractionStep);
        const double turn = erfTurningPoint();
        const double atTurn = vapor.affinityCoef * (1 - truncatedErf(turn)) / vapor.molVolume;
        const double rounding = 2 * kRoundingPerTerm * std::fabs(vapor.affinityCoef / vapor.molVolume) *
                                (1 + std::max(seriesTermsSize(first.potentialRatio), seriesTermsSize(turn)));
        const double lowest =
            first.potentialRatio < turn ? std::min(first.spreadPressure, atTurn) : first.spreadPressure;
        if (!(lowest - rounding - referenceSpread > 2 * kSpreadPressureTolerance)) {
            return std::nullopt;
        }
        if (!(first.potentialRatio < turn)) {
            return ScanEnd{kFractionStep, false};
        }
        // The fraction whose reduced potential is the turning point: u = R T ln(p_sat x / p) / (E0 beta).
        const double fraction =
            m_state.partialPress[slot] / vapor.satPressure *
            std::exp(turn * m_state.benzenePotential * vapor.affinityCoef / (kGasConstant * m_state.tempK));
        if (!std::isfinite(fraction)) {
            return std::nullopt;
        }
        return ScanEnd{fraction, false};
    }

    const CalcState& m_state;
    double m_startSum;
    double m_tolerance;
    const ScanToReference& m_scan;
};

}  // namespace

bool passesNeverSettle(const CalcState& state, double startSum, double tolerance,
                       const ScanToReference& scan) {
    const int k = state.mixCount;
    const double x = state.adsFraction[k];
    if (state.vaporCount == 2 || k < 2 || !(x > 0) || !std::isfinite(x)) {
        return false;
    }
    for (int i = 1; i <= k; ++i) {
        if (!(state.partialPress[i] > 0)) {
            return false;
        }
    }
    PassBounds pass(state, startSum, tolerance, scan);
    std::unordered_set<int> reached{cellOf(x)};
    std::vector<int> pending{cellOf(x)};
    try {
        while (!pending.empty()) {
            throwIfRunStopped();
            const int cell = pending.back();
            pending.pop_back();
            const std::optional<FractionRange> next = pass.image(cellStart(cell), cellStart(cell + 1));
            if (!next) {
                return false;
            }
            if (next->none) {
                continue;
            }
            if (!(next->low > 0)) {
                return false;
            }
            for (int to = cellOf(next->low); to <= cellOf(next->high); ++to) {
                if (reached.insert(to).second) {
                    if (reached.size() > kCellBudget) {
                        return false;
                    }
                    pending.push_back(to);
                }
            }
        }
    } catch (const CalcError&) {
        return false;
    }
    return true;
}

}  // namespace quandrelle
