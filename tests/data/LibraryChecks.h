#pragma once

// The physical and clerical checks that every row of the shipped vapor library must pass. They are
// kept apart from the tests so that the checks themselves can be tested: a check that accepted
// everything would let wrong numbers through unnoticed.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quandrelle::data {

// One table of texts: the header row's names and the rows below it, fields unquoted, with the line
// each row starts on (the header's is 1).
struct CsvTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines;

    // The position of a column; throws std::runtime_error when the header has no such column.
    std::size_t column(std::string_view name) const;
};

// Reads a comma-separated file with a header row through the record tool's CSV reader. Throws
// std::runtime_error for a file that cannot be read or a row whose width differs from the header's,
// and the reader's CsvError for malformed quoting.
CsvTable readCsvFile(const std::filesystem::path& path);

// A plain decimal number that fills the whole text ("-52.36", "1.5e3"); throws
// std::invalid_argument for anything else, so that a stray character in the data is never hidden.
double parseWholeNumber(std::string_view text);

// Molecular weight of a formula such as "C2H4Cl2" from the standard atomic weights; throws
// std::invalid_argument for an element it does not know or a malformed formula.
double formulaWeight(std::string_view formula);

// Whether a CAS registry number is well formed (2 to 7 digits, 2 digits, 1 check digit, joined by
// "-") and its check digit is right.
bool casNumberValid(std::string_view cas);

// Lorentz-Lorenz molar refraction, cm3/mol: (n^2 - 1) / (n^2 + 2) * M / rho.
double molarRefraction(double refractiveIndex, double molWt, double liqDensity);

// Temperature in K at which the program's vapor pressure equation, ln P[torr] = A - B / (T + C),
// gives the pressure asked for.
double antoineTemperatureK(double a, double b, double c, double pressureTorr);

// A value as the program holds an entered number: rounded to single precision.
double asHeld(double value);

// The program's vapor pressure equation, ln P[torr] = A - B / (T[K] + C), with the constants as the
// program holds them.
double antoineTorr(double a, double b, double c, double kelvin);

// Half a unit in the last place a number is written to ("16.45881" gives 0.000005, "100" 0.5): the
// most that writing the number to that many places can have moved it.
double halfLastPlace(std::string_view text);

// One point of a vapor pressure table.
struct PressurePoint {
    double kelvin = 0;
    double torr = 0;
    bool inRange = true;  // inside the range the correlation's source states
};

// The points of a table with the columns cas, T_K and P_torr (and inRange, where the table has it),
// for each CAS number in rising temperature.
std::map<std::string, std::vector<PressurePoint>> pressuresByCas(const CsvTable& table);

// The name as the record store's index compares it: blanks removed at both ends, upper case.
std::string nameKey(std::string_view name);

}  // namespace quandrelle::data
