#include "quandrelle/engine/SweepCurves.h"

#include <array>
#include <charconv>

#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/ResultTexts.h"

namespace quandrelle {

namespace {

CurvePointKind kindOf(RunMethod method) {
    switch (method) {
        case RunMethod::Model:
            return CurvePointKind::Model;
        case RunMethod::Fallback:
            return CurvePointKind::Fallback;
        case RunMethod::Conservative:
            return CurvePointKind::Conservative;
    }
    return CurvePointKind::Conservative;
}

// The run's own notes on how its equilibrium was found. The cautions appended after them concern
// the inputs and results at large, which the curves do not repeat point by point.
std::string methodNotes(const CalcState& run) {
    std::string text;
    for (const std::string& note : run.runReport.methodNotes()) {
        text += (text.empty() ? "" : " ") + note;
    }
    return text;
}

std::string shortest(double value) {
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc() ? std::string(buffer.data(), end) : std::string();
}

// A field quoted when it holds a separator, a quote or a line break (RFC 4180).
std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

}  // namespace

std::string_view curvePointKindName(CurvePointKind kind) {
    switch (kind) {
        case CurvePointKind::Model:
            return "model";
        case CurvePointKind::Fallback:
            return "fallback";
        case CurvePointKind::Conservative:
            return "conservative";
        case CurvePointKind::Refused:
            return "refused";
        case CurvePointKind::Failed:
            return "failed";
    }
    return {};
}

CurvePoint curvePointOf(const SweepPoint& point, int vaporCount) {
    switch (point.outcome.status) {
        case CalculateStatus::OutOfLimits:
            return refusedCurvePoint(point.value, std::string(kLimitsMessageText));
        case CalculateStatus::Failed:
            return CurvePoint{point.value, CurvePointKind::Failed, point.outcome.errorText, {}};
        case CalculateStatus::Done:
            break;
    }
    const CalcState& run = point.state;
    CurvePoint curve{point.value, kindOf(run.runReport.method), {}, {}};
    if (curve.kind != CurvePointKind::Model) {
        curve.reason = methodNotes(run);
    }
    for (int n = 1; n <= vaporCount; ++n) {
        const int p = point.positionOfEntry[static_cast<std::size_t>(n)];
        if (p < 1 || p > run.vaporCount) {
            // Times that cannot be told apart by vapor would be worse than none.
            return CurvePoint{point.value,
                              CurvePointKind::Failed,
                              "The vapors of this run could not be matched to the entered ones.",
                              {}};
        }
        curve.times.push_back(
            {run.breakTimeResult[p], run.breakTimeMin[p], run.breakTimeMax[p], run.beyondServiceCap[p]});
    }
    return curve;
}

CurvePoint refusedCurvePoint(double value, std::string reason) {
    return CurvePoint{value, CurvePointKind::Refused, std::move(reason), {}};
}

std::string curvesCsv(SweepQuantity quantity, std::span<const std::string> vaporNames,
                      std::span<const CurvePoint> points) {
    std::string text = csvField(sweepQuantityName(quantity));
    for (const std::string& name : vaporNames) {
        for (const char* bound : {" estimate (min)", " min (min)", " max (min)"}) {
            text += "," + csvField(name + bound);
        }
    }
    text += ",status,note\r\n";
    for (const CurvePoint& point : points) {
        text += shortest(point.value);
        for (std::size_t v = 0; v < vaporNames.size(); ++v) {
            if (point.hasTimes()) {
                const VaporTimes& times = point.times.at(v);
                if (times.beyondServiceCap) {
                    text += "," + csvField(kLongerThanServiceCapText) + ",,";
                    continue;
                }
                text += "," + shortest(times.estimate) + "," + shortest(times.minimum) + "," +
                        shortest(times.maximum);
            } else {
                text += ",,,";
            }
        }
        text += "," + std::string(curvePointKindName(point.kind)) + "," + csvField(point.reason) + "\r\n";
    }
    return text;
}

}  // namespace quandrelle
