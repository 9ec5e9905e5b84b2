#include "quandrelle/calc/SweepRun.h"

#include <atomic>
#include <charconv>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "quandrelle/validation/SweepLimits.h"

namespace quandrelle::calc {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// The whole text as a number, "." as the decimal point whatever the locale.
template <typename Number>
std::optional<Number> wholeNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string quantityNames() {
    std::string names;
    for (const SweepQuantity quantity : kSweepQuantities) {
        names += (names.empty() ? "" : ", ") + std::string(sweepQuantityName(quantity));
    }
    return names;
}

}  // namespace

std::optional<SweepRange> parseSweep(std::string_view text, std::string& problem) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        problem = "--sweep needs QUANTITY=FROM:TO:COUNT, not \"" + std::string(text) + "\"";
        return std::nullopt;
    }
    SweepRange range;
    const std::string_view name = text.substr(0, equals);
    const std::optional<SweepQuantity> quantity = sweepQuantityNamed(name);
    if (!quantity) {
        problem = "--sweep: \"" + std::string(name) + "\" is not a quantity that can be swept (" +
                  quantityNames() + ")";
        return std::nullopt;
    }
    range.quantity = *quantity;
    const std::vector<std::string_view> parts = split(text.substr(equals + 1), ':');
    const bool logarithmic = parts.size() == 4 && parts[3] == "log";
    if (parts.size() != 3 && !logarithmic) {
        problem = "--sweep " + std::string(name) +
                  ": the range must be FROM:TO:COUNT or FROM:TO:COUNT:log, not \"" +
                  std::string(text.substr(equals + 1)) + "\"";
        return std::nullopt;
    }
    const auto from = wholeNumber<double>(parts[0]);
    const auto to = wholeNumber<double>(parts[1]);
    const auto count = wholeNumber<int>(parts[2]);
    if (!from || !to) {
        problem = "--sweep " + std::string(name) + ": FROM and TO must be numbers";
        return std::nullopt;
    }
    if (!count || *count < 1 || *count > kMaxSweepPoints) {
        problem = "--sweep " + std::string(name) + ": COUNT must be a whole number from 1 to " +
                  std::to_string(kMaxSweepPoints);
        return std::nullopt;
    }
    if (*count == 1 && *from != *to) {
        problem = "--sweep " + std::string(name) + ": a single point needs FROM equal to TO";
        return std::nullopt;
    }
    if (logarithmic && !(*from > 0 && *to > 0)) {
        problem = "--sweep " + std::string(name) + ": a logarithmic range needs FROM and TO above 0";
        return std::nullopt;
    }
    range.from = *from;
    range.to = *to;
    range.count = *count;
    range.logarithmic = logarithmic;
    return range;
}

Problems sweepProblems(const CalcState& state, SweepQuantity quantity, std::span<const double> values) {
    Problems problems;
    for (const double value : values) {
        if (auto problem = sweptValueProblem(state, quantity, value)) {
            problems.push_back("--sweep: " + *problem);
        }
    }
    return problems;
}

std::vector<SweepPoint> runSweep(const CalcState& state, SweepQuantity quantity,
                                 std::span<const double> values, unsigned jobs) {
    std::vector<SweepPoint> points(values.size());
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        try {
            for (std::size_t i = next++; i < values.size(); i = next++) {
                points[i] = runSweepPoint(state, quantity, values[i]);
            }
        } catch (...) {
            const std::lock_guard lock(failureLock);
            failure = std::current_exception();
            next = values.size();
        }
    };
    const std::size_t threads = std::min<std::size_t>(std::max(jobs, 1u), values.size());
    {
        std::vector<std::jthread> workers;
        for (std::size_t t = 1; t < threads; ++t) {
            workers.emplace_back(work);
        }
        work();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return points;
}

}  // namespace quandrelle::calc
