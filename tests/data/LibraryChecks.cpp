#include "LibraryChecks.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

#include "quandrelle/db/Csv.h"

namespace quandrelle::data {

namespace {

// Standard atomic weights (conventional values) of the elements that organic vapors hold.
const std::map<std::string, double, std::less<>>& atomicWeights() {
    static const std::map<std::string, double, std::less<>> weights{
        {"C", 12.011},  {"H", 1.008},  {"O", 15.999},  {"N", 14.007}, {"S", 32.06},   {"Cl", 35.45},
        {"Br", 79.904}, {"F", 18.998}, {"I", 126.904}, {"P", 30.974}, {"Si", 28.085},
    };
    return weights;
}

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

CsvTable readCsvFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path.string());
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    CsvTable table;
    // The record tool's own reader, so that the library is read as an import would read it.
    for (CsvRow& row : parseCsv(text)) {
        if (table.header.empty()) {
            table.header = std::move(row.fields);
        } else if (row.fields.size() != table.header.size()) {
            throw std::runtime_error(path.string() + " line " + std::to_string(row.line) + ": " +
                                     std::to_string(row.fields.size()) + " fields, the header has " +
                                     std::to_string(table.header.size()));
        } else {
            table.rows.push_back(std::move(row.fields));
            table.lines.push_back(static_cast<int>(row.line));
        }
    }
    return table;
}

std::size_t CsvTable::column(std::string_view name) const {
    const auto found = std::find(header.begin(), header.end(), name);
    if (found == header.end()) {
        throw std::runtime_error("the table has no column " + std::string(name));
    }
    return static_cast<std::size_t>(found - header.begin());
}

double parseWholeNumber(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        throw std::invalid_argument("not a plain number: \"" + std::string(text) + "\"");
    }
    return value;
}

double formulaWeight(std::string_view formula) {
    if (formula.empty()) {
        throw std::invalid_argument("empty formula");
    }
    double total = 0;
    std::size_t i = 0;
    while (i < formula.size()) {
        if (!std::isupper(static_cast<unsigned char>(formula[i]))) {
            throw std::invalid_argument("malformed formula: " + std::string(formula));
        }
        std::size_t end = i + 1;
        while (end < formula.size() && std::islower(static_cast<unsigned char>(formula[end]))) {
            ++end;
        }
        const auto element = atomicWeights().find(formula.substr(i, end - i));
        if (element == atomicWeights().end()) {
            throw std::invalid_argument("unknown element in " + std::string(formula));
        }
        i = end;
        int count = 0;
        while (i < formula.size() && isDigit(formula[i])) {
            count = count * 10 + (formula[i] - '0');
            ++i;
        }
        total += element->second * (end == i ? 1 : count);
    }
    return total;
}

bool casNumberValid(std::string_view cas) {
    const std::size_t first = cas.find('-');
    const std::size_t second = cas.rfind('-');
    if (first == std::string_view::npos || first == second || first < 2 || first > 7 || second != first + 3 ||
        second + 2 != cas.size()) {
        return false;
    }
    std::string digits;
    for (std::size_t i = 0; i < cas.size(); ++i) {
        if (i == first || i == second) {
            continue;
        }
        if (!isDigit(cas[i])) {
            return false;
        }
        digits += cas[i];
    }
    // The check digit is the sum of the other digits, each weighted by its place counted from the
    // right (1 for the last one), modulo 10.
    int sum = 0;
    const std::size_t bodyLength = digits.size() - 1;
    for (std::size_t i = 0; i < bodyLength; ++i) {
        sum += static_cast<int>(bodyLength - i) * (digits[i] - '0');
    }
    return sum % 10 == digits.back() - '0';
}

double molarRefraction(double refractiveIndex, double molWt, double liqDensity) {
    const double n2 = refractiveIndex * refractiveIndex;
    return (n2 - 1) / (n2 + 2) * molWt / liqDensity;
}

double antoineTemperatureK(double a, double b, double c, double pressureTorr) {
    return b / (a - std::log(pressureTorr)) - c;
}

double asHeld(double value) {
    return static_cast<double>(static_cast<float>(value));
}

double antoineTorr(double a, double b, double c, double kelvin) {
    return std::exp(asHeld(a) - asHeld(b) / (kelvin + asHeld(c)));
}

double halfLastPlace(std::string_view text) {
    parseWholeNumber(text);
    const std::size_t point = text.find('.');
    const int decimals = point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
    return 0.5 * std::pow(10.0, -decimals);
}

std::map<std::string, std::vector<PressurePoint>> pressuresByCas(const CsvTable& table) {
    const std::size_t cas = table.column("cas"), kelvin = table.column("T_K"), torr = table.column("P_torr");
    const bool flagged = std::find(table.header.begin(), table.header.end(), "inRange") != table.header.end();
    std::map<std::string, std::vector<PressurePoint>> points;
    for (const auto& row : table.rows) {
        points[row[cas]].push_back({parseWholeNumber(row[kelvin]), parseWholeNumber(row[torr]),
                                    !flagged || row[table.column("inRange")] == "1"});
    }
    for (auto& [_, list] : points) {
        std::sort(list.begin(), list.end(),
                  [](const PressurePoint& x, const PressurePoint& y) { return x.kelvin < y.kelvin; });
    }
    return points;
}

std::string nameKey(std::string_view name) {
    const auto blank = [](char c) { return c == ' '; };
    while (!name.empty() && blank(name.front())) {
        name.remove_prefix(1);
    }
    while (!name.empty() && blank(name.back())) {
        name.remove_suffix(1);
    }
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return key;
}

}  // namespace quandrelle::data
