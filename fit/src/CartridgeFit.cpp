#include "quandrelle/fit/CartridgeFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <set>
#include <tuple>

#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/RunStop.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/validation/FieldLimitTables.h"

namespace quandrelle {

namespace {

// A prediction of 0 (the carbon holds none of the vapor) still needs a finite residual.
constexpr double kShortestPrediction = 1e-3;  // min
// The step of the slopes, in ln of a value: 0.2 % spans several of the run's 0.1-minute time steps
// on any point of a few minutes or more, so the slope is that of the trend and not of one step.
constexpr double kSlopeStep = 2e-3;
constexpr double kDoneStep = 1e-6;
constexpr double kDoneCost = 1e-14;
// A point predicted longer than it lasted by more than this is named in the notes.
constexpr double kLongerNotePercent = 5;

// The free values of the search, as ln of the value: [0] the micropore volume, [1] the potential.
struct Box {
    std::array<double, 2> low{};
    std::array<double, 2> high{};
};

const Box kBox{{std::log(limits::kMicroporeVolume.lower), std::log(limits::kBenzenePotential.lower)},
               {std::log(limits::kMicroporeVolume.upper), std::log(limits::kBenzenePotential.upper)}};

class Search {
public:
    Search(const FitRequest& request, bool fitPotential)
        : m_request(request), m_count(fitPotential ? 2 : 1) {}

    int count() const { return m_count; }
    int runs() const { return m_runs; }

    CartridgeInput cartridgeAt(const std::array<double, 2>& x) const {
        CartridgeInput cartridge = m_request.cartridge;
        cartridge.microporeVolume = std::exp(x[0]);
        cartridge.benzenePotential = std::exp(x[1]);
        return cartridge;
    }

    // ln(predicted / known) of every point; nothing when a run fails.
    std::optional<std::vector<double>> residuals(const std::array<double, 2>& x) {
        std::vector<double> r;
        const CartridgeInput cartridge = cartridgeAt(x);
        for (const FitPoint& point : m_request.points) {
            throwIfRunStopped();
            ++m_runs;
            try {
                const double predicted = std::max(predictedMinutes(cartridge, point), kShortestPrediction);
                r.push_back(std::log(predicted / point.minutes));
            } catch (const FitRunError&) {
                return std::nullopt;
            }
        }
        return r;
    }

    static double cost(const std::vector<double>& r) {
        double sum = 0;
        for (const double value : r) {
            sum += value * value;
        }
        return sum;
    }

    // Damped Gauss-Newton (Levenberg-Marquardt) within the box, from x; at most kMaxFitIterations
    // passes. Slopes by forward steps, taken inwards at a limit.
    std::array<double, 2> minimise(std::array<double, 2> x, const FitProgress& progress) {
        std::optional<std::vector<double>> r = residuals(x);
        if (!r) {
            return x;
        }
        double current = cost(*r);
        double damping = 1e-3;
        for (int pass = 1; pass <= kMaxFitIterations && current > kDoneCost; ++pass) {
            const auto slopes = jacobian(x, *r);
            if (!slopes) {
                break;
            }
            bool improved = false;
            bool tiny = false;
            for (int attempt = 0; attempt < 8 && !improved && !tiny; ++attempt) {
                const std::array<double, 2> next = step(x, *r, *slopes, damping);
                tiny = std::abs(next[0] - x[0]) < kDoneStep && std::abs(next[1] - x[1]) < kDoneStep;
                const auto trial = tiny ? std::nullopt : residuals(next);
                if (trial && cost(*trial) < current) {
                    x = next;
                    r = trial;
                    current = cost(*trial);
                    damping = std::max(damping / 3, 1e-9);
                    improved = true;
                } else {
                    damping *= 4;
                }
            }
            if (progress) {
                progress(pass, kMaxFitIterations);
            }
            if (!improved) {
                break;
            }
        }
        return x;
    }

private:
    using Slopes = std::vector<std::array<double, 2>>;

    std::optional<Slopes> jacobian(const std::array<double, 2>& x, const std::vector<double>& r) {
        Slopes slopes(r.size(), {0, 0});
        for (int k = 0; k < m_count; ++k) {
            std::array<double, 2> moved = x;
            const double h = x[k] + kSlopeStep > kBox.high[k] ? -kSlopeStep : kSlopeStep;
            moved[k] += h;
            const auto shifted = residuals(moved);
            if (!shifted) {
                return std::nullopt;
            }
            for (std::size_t i = 0; i < r.size(); ++i) {
                slopes[i][k] = ((*shifted)[i] - r[i]) / h;
            }
        }
        return slopes;
    }

    std::array<double, 2> step(const std::array<double, 2>& x, const std::vector<double>& r,
                               const Slopes& slopes, double damping) const {
        // The normal equations of the free values, damped on their diagonal.
        double a00 = 0, a01 = 0, a11 = 0, g0 = 0, g1 = 0;
        for (std::size_t i = 0; i < r.size(); ++i) {
            a00 += slopes[i][0] * slopes[i][0];
            a01 += slopes[i][0] * slopes[i][1];
            a11 += slopes[i][1] * slopes[i][1];
            g0 += slopes[i][0] * r[i];
            g1 += slopes[i][1] * r[i];
        }
        std::array<double, 2> next = x;
        if (m_count == 1) {
            const double d = a00 * (1 + damping) + 1e-12;
            next[0] -= g0 / d;
        } else {
            const double d00 = a00 * (1 + damping) + 1e-12;
            const double d11 = a11 * (1 + damping) + 1e-12;
            const double det = d00 * d11 - a01 * a01;
            next[0] -= (d11 * g0 - a01 * g1) / det;
            next[1] -= (d00 * g1 - a01 * g0) / det;
        }
        for (int k = 0; k < 2; ++k) {
            next[k] = std::clamp(next[k], kBox.low[k], kBox.high[k]);
        }
        return next;
    }

    const FitRequest& m_request;
    int m_count;
    int m_runs = 0;
};

// The points can tell the potential from the micropore volume only when they hold more than one
// vapor or more than one concentration: for one vapor at one concentration both values only scale
// the same capacity.
bool pointsSeparateTheValues(const std::vector<FitPoint>& points) {
    std::set<std::tuple<std::string, double, double, double, double, double, double>> seen;
    for (const FitPoint& point : points) {
        const VaporInput& v = point.vapor;
        seen.insert({v.name, v.molWt, v.liqDensity, v.molPolariz, v.antoineA, v.antoineB,
                     static_cast<double>(toSingle(v.concentration))});
    }
    return seen.size() > 1;
}

std::string percentText(double percent) {
    return generalText(roundHalfEven(percent, 1));
}

// The range of times the cartridge gives a point over the whole box, from the least carbon to the
// most: the model's time rises with both values.
std::pair<double, double> reachableMinutes(const FitRequest& request, const FitPoint& point,
                                           bool fitPotential, double heldPotential, int& runs) {
    CartridgeInput least = request.cartridge;
    CartridgeInput most = request.cartridge;
    least.microporeVolume = limits::kMicroporeVolume.lower;
    most.microporeVolume = limits::kMicroporeVolume.upper;
    least.benzenePotential = fitPotential ? limits::kBenzenePotential.lower : heldPotential;
    most.benzenePotential = fitPotential ? limits::kBenzenePotential.upper : heldPotential;
    auto minutes = [&](const CartridgeInput& cartridge) {
        ++runs;
        try {
            return predictedMinutes(cartridge, point);
        } catch (const FitRunError&) {
            return 0.0;
        }
    };
    return {minutes(least), minutes(most)};
}

std::string valuesText(bool fitPotential, double heldPotential) {
    std::string text = "no micropore volume from " + limits::kMicroporeVolume.lowerText + " to " +
                       limits::kMicroporeVolume.upperText + " cm3/g";
    if (fitPotential) {
        return text + " and adsorption potential from " + limits::kBenzenePotential.lowerText + " to " +
               limits::kBenzenePotential.upperText + " kJ/mol";
    }
    return text + " (with the adsorption potential at " + generalText(heldPotential) + " kJ/mol)";
}

// Why the best values found still miss a point by more than half its time: first a point that no
// values within the limits bring within half its time, else the point the best values miss most.
std::string missProblem(const FitRequest& request, const FitResult& result, bool fitPotential,
                        double heldPotential, int& runs) {
    for (std::size_t i = 0; i < request.points.size(); ++i) {
        const FitPoint& point = request.points[i];
        const auto [least, most] = reachableMinutes(request, point, fitPotential, heldPotential, runs);
        if (most < (1 - kMaxPointError) * point.minutes || least > (1 + kMaxPointError) * point.minutes) {
            return "No fit: " + valuesText(fitPotential, heldPotential) + " comes within 50 % of " +
                   pointLabel(request.points, i) + ": this cartridge gives it from " + minutesText(least) +
                   " to " + minutesText(most) +
                   " min. Check the point and the cartridge's bed, carbon weight and granule size.";
        }
    }
    std::size_t worst = 0;
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        if (std::abs(result.points[i].errorPercent) > std::abs(result.points[worst].errorPercent)) {
            worst = i;
        }
    }
    return "No fit: the points disagree. The best values within the limits still miss " +
           pointLabel(request.points, worst) + " by " + percentText(result.points[worst].errorPercent) +
           " % (more than 50 %). Check the points: they may not be of one cartridge.";
}

void noteLongerPredictions(const FitRequest& request, FitResult& result) {
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        if (result.points[i].errorPercent > kLongerNotePercent) {
            result.notes.push_back("The fitted cartridge lasts " +
                                   percentText(result.points[i].errorPercent) + " % longer than " +
                                   pointLabel(request.points, i) +
                                   " did: under conditions like it, it may break through sooner than "
                                   "predicted.");
        }
    }
}

}  // namespace

std::string pointLabel(const std::vector<FitPoint>& points, std::size_t index) {
    const FitPoint& point = points[index];
    return "point " + std::to_string(index + 1) + " (" + point.vapor.name + " at " +
           generalText(point.vapor.concentration) + " ppm, " + generalText(point.minutes) + " min)";
}

std::vector<std::string> fitRequestProblems(const FitRequest& request) {
    std::vector<std::string> problems;
    if (request.points.empty()) {
        problems.push_back("points: at least one known breakthrough time is needed");
    }
    for (std::size_t i = 0; i < request.points.size(); ++i) {
        const FitPoint& point = request.points[i];
        const std::string where = "points[" + std::to_string(i + 1) + "]";
        if (!(point.minutes > 0) || !std::isfinite(point.minutes)) {
            problems.push_back(where + ".minutes: must be above 0");
        }
        const CalcState state = pointState(request.cartridge, point);
        const BreakthroughRow row{std::strtod(generalText(state.vapors[1].avgConc).c_str(), nullptr),
                                  point.breakConc};
        if (!withinBreakFractionLimits(state, std::span(&row, 1))) {
            problems.push_back(where + ".breakConc: must be above 0 and at most half the concentration (" +
                               generalText(point.vapor.concentration * kMaxBreakFraction) + " ppm)");
        }
    }
    return problems;
}

CalcState pointState(const CartridgeInput& cartridge, const FitPoint& point) {
    CalcState state;
    storeCartridge(state, cartridge);
    storeConditions(state, point.conditions);
    storeVapor(state, 1, point.vapor);
    state.breakConc[1] = point.breakConc;
    storeConcentration(state, 1, point.vapor.concentration);
    state.vaporCount = 1;
    state.mixCount = 1;
    setFaceVelocity(state);
    return state;
}

double predictedMinutes(const CartridgeInput& cartridge, const FitPoint& point) {
    CalcState state = pointState(cartridge, point);
    const BreakthroughRow row{std::strtod(generalText(state.vapors[1].avgConc).c_str(), nullptr),
                              point.breakConc};
    const CalculateOutcome outcome = Calculate(state, std::span(&row, 1));
    if (outcome.status == CalculateStatus::OutOfLimits) {
        throw FitRunError(std::string(kLimitsMessageText));
    }
    if (outcome.status == CalculateStatus::Failed) {
        throw FitRunError(outcome.errorText);
    }
    return state.breakTimeResult[1];
}

double recordValue(double value) {
    // As many decimals as eight characters leave after the whole part and the point.
    const int wholeDigits = value < 1 ? 1 : static_cast<int>(std::floor(std::log10(value))) + 1;
    const int decimals = std::max(0, 8 - wholeDigits - 1);
    const double scale = std::pow(10.0, decimals);
    double cut = std::floor(value * scale * (1 + 1e-15)) / scale;
    if (cut > value) {
        cut -= 1 / scale;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, cut);
    return std::strtod(text, nullptr);
}

FitResult fitCartridge(const FitRequest& request, const FitProgress& progress) {
    const bool separable = pointsSeparateTheValues(request.points);
    const bool fitPotential = !request.benzenePotential && separable;
    const double heldPotential = request.benzenePotential.value_or(kTypicalBenzenePotential);

    FitResult result;
    result.fitted = {"microporeVolume"};
    if (fitPotential) {
        result.fitted.push_back("benzenePotential");
    } else if (request.benzenePotential) {
        result.notes.push_back("The adsorption potential was held at the " + generalText(heldPotential) +
                               " kJ/mol given; only the micropore volume was fitted.");
    } else {
        result.notes.push_back(
            "The adsorption potential was held at a typical " + generalText(heldPotential) +
            " kJ/mol: the points (one vapor at one concentration) cannot tell it apart from the micropore "
            "volume. Give the potential to hold another value, or add a point of another vapor or "
            "concentration to fit it.");
    }

    Search search(request, fitPotential);
    // The time grows about in proportion to the micropore volume: one scaling from a typical carbon
    // starts the search close.
    std::array<double, 2> x{std::log(0.45), std::log(heldPotential)};
    if (const auto r = search.residuals(x)) {
        double mean = 0;
        for (const double value : *r) {
            mean += value;
        }
        x[0] = std::clamp(x[0] - mean / static_cast<double>(r->size()), kBox.low[0], kBox.high[0]);
    }
    x = search.minimise(x, progress);

    result.cartridge = request.cartridge;
    result.cartridge.microporeVolume = recordValue(std::exp(x[0]));
    result.cartridge.benzenePotential = recordValue(fitPotential ? std::exp(x[1]) : heldPotential);
    int runs = search.runs();
    try {
        for (const FitPoint& point : request.points) {
            ++runs;
            const double predicted = predictedMinutes(result.cartridge, point);
            result.points.push_back(
                {point.minutes, predicted, (predicted - point.minutes) / point.minutes * 100});
        }
    } catch (const FitRunError& e) {
        result.problem = "No fit: " + pointLabel(request.points, result.points.size()) +
                         " cannot be calculated with the values found: " + e.what();
        result.runs = runs;
        return result;
    }
    const bool missed = std::any_of(result.points.begin(), result.points.end(), [](const FitPointOutcome& p) {
        return std::abs(p.errorPercent) > kMaxPointError * 100;
    });
    if (missed) {
        result.problem = missProblem(request, result, fitPotential, heldPotential, runs);
        result.runs = runs;
        return result;
    }
    noteLongerPredictions(request, result);
    result.status = FitStatus::Fitted;
    result.runs = runs;
    if (progress) {
        progress(kMaxFitIterations, kMaxFitIterations);
    }
    return result;
}

}  // namespace quandrelle
