// The shipped vapor library is held to the reference data it is built from (data/reference/), not
// to itself: every row's vapor pressure against the reference points at the temperatures of use, its
// weight, density and refractive index against the reference properties. It is also held to physics
// it must obey (the weight from the formula, the CAS check digit) and to what the record file and the
// vapor screen accept.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iomanip>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "LibraryChecks.h"
#include "quandrelle/validation/FieldLimitTables.h"

namespace quandrelle::data {
namespace {

const std::vector<std::string> kColumns{
    "chemName",      "molWt",        "liqDensity",   "molPolariz",  "waterSolFactor",   "avgConc",
    "antoineA",      "antoineB",     "antoineC",     "casNumber",   "formula",          "refractiveIndex",
    "boilingPointK", "antoineTminK", "antoineTmaxK", "correlation", "correlationTminK", "correlationTmaxK",
    "source",
};

// Widths of the record's text fields; every number field is 8 wide.
constexpr std::size_t kNameWidth = 35;
constexpr std::size_t kNumberWidth = 8;
constexpr std::size_t kCasWidth = 18;

struct Vapor {
    std::vector<std::string> texts;
    double number(int column) const { return parseWholeNumber(texts.at(column)); }
    const std::string& name() const { return texts[0]; }
};

enum Column {
    kName,
    kMolWt,
    kLiqDensity,
    kMolPolariz,
    kWaterSol,
    kAvgConc,
    kAntoineA,
    kAntoineB,
    kAntoineC,
    kCas,
    kFormula,
    kRefractiveIndex,
    kBoilingPointK,
    kTminK,
    kTmaxK,
    kCorrelation,
    kCorrelationTminK,
    kCorrelationTmaxK,
    kSource,
};

// The temperatures of use, 0 to 40 C on the reference's 5 K grid, at which the correlations of a vapor
// are compared.
constexpr double kUseLowK = 273.15;
constexpr double kUseHighK = 313.15;
constexpr double kGridStepK = 5;

// An alternative Antoine set of the reference.
struct AlternativeSet {
    int line = 0;
    std::string source;
    double lowK = 0, highK = 0, a = 0, b = 0, c = 0;
    double torr(double kelvin) const { return std::exp(a - b / (kelvin + c)); }
    bool covers(double kelvin) const { return lowK <= kelvin && kelvin <= highK; }
};

class VaporLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_table = readCsvFile(QUANDRELLE_VAPOR_CSV);
        for (auto& row : s_table.rows) {
            s_vapors.push_back(Vapor{row});
        }
        s_reference = readCsvFile(QUANDRELLE_REFERENCE_PROPERTIES);
        s_corrections = readCsvFile(QUANDRELLE_REFERENCE_CORRECTIONS);
        applyCorrections();
        s_referencePressures = pressuresByCas(readCsvFile(QUANDRELLE_REFERENCE_PRESSURES));
        readAlternatives();
        s_pressures = s_referencePressures;
        for (const auto& [cas, set] : s_followedAlternative) {
            s_pressures[cas] = gridPoints(*set);
        }
    }

    static void readAlternatives() {
        const CsvTable table = readCsvFile(QUANDRELLE_REFERENCE_ALTERNATIVES);
        for (std::size_t i = 0; i < table.rows.size(); ++i) {
            const auto& row = table.rows[i];
            const auto number = [&](std::string_view column) {
                return parseWholeNumber(row[table.column(column)]);
            };
            s_alternatives[row[table.column("cas")]].push_back(
                {table.lines[i], row[table.column("source")], number("TminK"), number("TmaxK"),
                 number("A_ln_torr"), number("B_K"), number("C_K")});
        }
        // A choice of correlation that replaced the reference's names the set it took.
        for (const auto& fix : s_corrections.rows) {
            const std::string& corrected = fix[s_corrections.column("corrected")];
            const std::size_t cited = corrected.find(kAlternativeCitation);
            if (fix[s_corrections.column("column")] != kCorrelationChoice || cited == std::string::npos) {
                continue;
            }
            const int line = std::stoi(corrected.substr(cited + kAlternativeCitation.size()));
            const auto& sets = s_alternatives[fix[s_corrections.column("cas")]];
            const auto set =
                std::find_if(sets.begin(), sets.end(), [&](const auto& s) { return s.line == line; });
            ASSERT_NE(set, sets.end()) << corrected;
            s_followedAlternative[fix[s_corrections.column("cas")]] = &*set;
        }
    }

    // An alternative set's points where the reference tabulates pressures: 253.15 to 353.15 K, above
    // 0.01 and up to 1500 torr.
    static std::vector<PressurePoint> gridPoints(const AlternativeSet& set) {
        std::vector<PressurePoint> points;
        for (int step = 0; step <= 20; ++step) {
            const double kelvin = 253.15 + kGridStepK * step;
            const double torr = set.torr(kelvin);
            if (torr > 0.01 && torr <= 1500) {
                points.push_back({kelvin, torr, set.covers(kelvin)});
            }
        }
        return points;
    }

    static const std::vector<std::string>* correlationChoice(const Vapor& v) {
        for (const auto& fix : s_corrections.rows) {
            if (fix[s_corrections.column("cas")] == v.texts[kCas] &&
                fix[s_corrections.column("column")] == kCorrelationChoice) {
                return &fix;
            }
        }
        return nullptr;
    }

    static std::vector<double> temperaturesOfUse(const Vapor& v) {
        std::vector<double> kelvins;
        for (int step = 0; kUseLowK + kGridStepK * step < kUseHighK + 0.01; ++step) {
            const double kelvin = kUseLowK + kGridStepK * step;
            if (kelvin < referenceNumber(v, "normalBoilingPointK")) {
                kelvins.push_back(kelvin);
            }
        }
        return kelvins;
    }

    // The few reference values found wrong are held to their corrected value instead, each only while
    // the reference still holds the value the correction was made against.
    static void applyCorrections() {
        const std::size_t cas = s_corrections.column("cas");
        const std::size_t column = s_corrections.column("column");
        for (const auto& fix : s_corrections.rows) {
            if (fix[column] == kCorrelationChoice) {
                continue;  // the build's choice of correlation, checked against the sets themselves
            }
            bool applied = false;
            for (auto& row : s_reference.rows) {
                std::string& value = row[s_reference.column(fix[column])];
                if (row[s_reference.column("cas")] == fix[cas] &&
                    value == fix[s_corrections.column("reference")]) {
                    value = fix[s_corrections.column("corrected")];
                    applied = true;
                }
            }
            ASSERT_TRUE(applied) << "the reference no longer holds what the correction of " << fix[cas] << " "
                                 << fix[column] << " was made against";
        }
    }

    // The reference's property row of the vapor's CAS number, or nullptr.
    static const std::vector<std::string>* referenceRow(const Vapor& v) {
        const std::size_t cas = s_reference.column("cas");
        for (const auto& row : s_reference.rows) {
            if (row[cas] == v.texts[kCas]) {
                return &row;
            }
        }
        return nullptr;
    }

    static std::string reference(const Vapor& v, std::string_view column) {
        const auto* row = referenceRow(v);
        if (row == nullptr) {
            throw std::runtime_error(v.name() + " is not in the reference");
        }
        return (*row)[s_reference.column(column)];
    }

    static double referenceNumber(const Vapor& v, std::string_view column) {
        return parseWholeNumber(reference(v, column));
    }

    static double torr(const Vapor& v, double kelvin) {
        return antoineTorr(v.number(kAntoineA), v.number(kAntoineB), v.number(kAntoineC), kelvin);
    }

    // The shipped vapor pressure against one reference point, with what rounding the constants to
    // the places they are written to can account for.
    static ::testing::AssertionResult pressureFollows(const Vapor& v, const PressurePoint& point) {
        const double shipped = torr(v, point.kelvin);
        const double error = shipped / point.torr - 1;
        if (std::abs(error) <= kMaxPressureError) {
            return ::testing::AssertionSuccess();
        }
        const double sum = point.kelvin + v.number(kAntoineC);
        const double roundingBound = halfLastPlace(v.texts[kAntoineA]) +
                                     halfLastPlace(v.texts[kAntoineB]) / sum +
                                     v.number(kAntoineB) * halfLastPlace(v.texts[kAntoineC]) / (sum * sum);
        std::ostringstream message;
        message << std::setprecision(5) << v.name() << " at " << point.kelvin << " K: the constants "
                << v.texts[kAntoineA] << ", " << v.texts[kAntoineB] << ", " << v.texts[kAntoineC] << " give "
                << shipped << " torr, the reference " << point.torr << " torr (" << error * 100
                << " %); rounding them to 8 characters can account for " << std::expm1(roundingBound) * 100
                << " % of it";
        return ::testing::AssertionFailure() << message.str();
    }

    static constexpr double kMaxPressureError = 0.03;
    static constexpr std::string_view kCorrelationChoice = "correlation";
    static constexpr std::string_view kAlternativeCitation = "antoine-alternatives.csv line ";
    static CsvTable s_table;
    static std::vector<Vapor> s_vapors;
    static CsvTable s_reference;
    static CsvTable s_corrections;
    // The points of the correlation each row follows, and of the reference's own correlation.
    static std::map<std::string, std::vector<PressurePoint>> s_pressures;
    static std::map<std::string, std::vector<PressurePoint>> s_referencePressures;
    static std::map<std::string, std::vector<AlternativeSet>> s_alternatives;
    static std::map<std::string, const AlternativeSet*> s_followedAlternative;
};

CsvTable VaporLibrary::s_table;
std::vector<Vapor> VaporLibrary::s_vapors;
CsvTable VaporLibrary::s_reference;
CsvTable VaporLibrary::s_corrections;
std::map<std::string, std::vector<PressurePoint>> VaporLibrary::s_pressures;
std::map<std::string, std::vector<PressurePoint>> VaporLibrary::s_referencePressures;
std::map<std::string, std::vector<AlternativeSet>> VaporLibrary::s_alternatives;
std::map<std::string, const AlternativeSet*> VaporLibrary::s_followedAlternative;

TEST_F(VaporLibrary, HasTheRecordFieldsInRecordOrderThenTheirEvidence) {
    EXPECT_EQ(s_table.header, kColumns);
    EXPECT_GE(s_vapors.size(), 100u);
}

TEST_F(VaporLibrary, ShipsEveryReferenceVapor) {
    std::set<std::string> shipped;
    for (const Vapor& v : s_vapors) {
        EXPECT_NE(referenceRow(v), nullptr) << v.name() << " " << v.texts[kCas] << " is not in the reference";
        shipped.insert(v.texts[kCas]);
    }
    for (const auto& row : s_reference.rows) {
        EXPECT_TRUE(shipped.contains(row[s_reference.column("cas")])) << row[s_reference.column("name")];
    }
}

TEST_F(VaporLibrary, VaporPressureFollowsTheReferenceAt0And25And40C) {
    for (const Vapor& v : s_vapors) {
        int checked = 0;
        for (const PressurePoint& point : s_pressures[v.texts[kCas]]) {
            if (point.kelvin == 273.15 || point.kelvin == 298.15 || point.kelvin == 313.15) {
                EXPECT_TRUE(pressureFollows(v, point));
                ++checked;
            }
        }
        // The reference leaves out pressures of 0.01 torr and below, so a heavy vapor may lack 0 C.
        EXPECT_GE(checked, 2) << v.name();
    }
}

TEST_F(VaporLibrary, VaporPressureFollowsTheReferenceWhereverTheCarbonMeetsAVapor) {
    // From -10 to 50 C, above a trace pressure and below boiling.
    for (const Vapor& v : s_vapors) {
        const double boiling = referenceNumber(v, "normalBoilingPointK");
        for (const PressurePoint& point : s_pressures[v.texts[kCas]]) {
            if (point.kelvin >= 263 && point.kelvin <= 323 && point.torr > 0.01 && point.kelvin < boiling) {
                EXPECT_TRUE(pressureFollows(v, point));
            }
        }
    }
}

TEST_F(VaporLibrary, VaporPressureEquationGivesTheReferenceBoilingPoint) {
    for (const Vapor& v : s_vapors) {
        const double boiling = antoineTemperatureK(asHeld(v.number(kAntoineA)), asHeld(v.number(kAntoineB)),
                                                   asHeld(v.number(kAntoineC)), 760.0);
        EXPECT_NEAR(boiling, referenceNumber(v, "normalBoilingPointK"), 2.0) << v.name();
    }
}

TEST_F(VaporLibrary, StatesTheRangeItsConstantsWereFittedOver) {
    for (const Vapor& v : s_vapors) {
        const double low = v.number(kTminK);
        const double high = v.number(kTmaxK);
        EXPECT_GE(low, 263) << v.name();
        EXPECT_LE(high, 333) << v.name();
        // Three constants need at least four points, 5 K apart in the reference.
        EXPECT_GE(high - low, 15) << v.name();
    }
}

TEST_F(VaporLibrary, StatesTheRangeOfTheCorrelationItFollows) {
    for (const Vapor& v : s_vapors) {
        const auto followed = s_followedAlternative.find(v.texts[kCas]);
        if (followed != s_followedAlternative.end()) {
            EXPECT_EQ(v.texts[kCorrelation], "Antoine " + followed->second->source) << v.name();
            EXPECT_EQ(v.number(kCorrelationTminK), followed->second->lowK) << v.name();
            EXPECT_EQ(v.number(kCorrelationTmaxK), followed->second->highK) << v.name();
            continue;
        }
        // The reference states the range beside the correlation's name in its sources.
        const std::string stated = "vapor pressure (" + v.texts[kCorrelation] + ", stated range " +
                                   v.texts[kCorrelationTminK] + "-" + v.texts[kCorrelationTmaxK] + " K)";
        EXPECT_NE(reference(v, "sources").find(stated), std::string::npos) << v.name() << ": " << stated;
        // And its table marks the points inside that range.
        for (const PressurePoint& point : s_referencePressures[v.texts[kCas]]) {
            EXPECT_EQ(point.inRange, v.number(kCorrelationTminK) <= point.kelvin &&
                                         point.kelvin <= v.number(kCorrelationTmaxK))
                << v.name() << " at " << point.kelvin << " K";
        }
    }
}

TEST_F(VaporLibrary, NeverLiesBelowACorrelationMeasuredAtATemperatureOfUse) {
    // A pressure too low gives a life too long. Every set measured at 0-40 C holds the library to it
    // unless the build set it aside, naming it, for missing the boiling point by more than 2 K or for
    // an equation that breaks down in the fitted span.
    for (const Vapor& v : s_vapors) {
        const double boiling = referenceNumber(v, "normalBoilingPointK");
        const auto* choice = correlationChoice(v);
        const auto heldTo = [&](double kelvin, double measured, const std::string& set) {
            EXPECT_GE(torr(v, kelvin), (1 - kMaxPressureError) * measured)
                << v.name() << " at " << kelvin << " K lies below " << set;
        };
        for (const PressurePoint& point : s_referencePressures[v.texts[kCas]]) {
            if (point.inRange && point.kelvin >= kUseLowK && point.kelvin <= kUseHighK + 0.01 &&
                point.kelvin < boiling) {
                heldTo(point.kelvin, point.torr, "the reference's correlation");
            }
        }
        for (const AlternativeSet& set : s_alternatives[v.texts[kCas]]) {
            const std::string citation = std::string(kAlternativeCitation) + std::to_string(set.line);
            const bool setAside = choice != nullptr && (*choice)[s_corrections.column("reason")].find(
                                                           citation + ": ") != std::string::npos;
            if (setAside) {
                const double miss = antoineTemperatureK(set.a, set.b, set.c, 760) - boiling;
                EXPECT_TRUE(std::abs(miss) > 2 || -set.c >= 263)
                    << v.name() << ": " << citation << " set aside";
                continue;
            }
            for (double kelvin : temperaturesOfUse(v)) {
                if (set.covers(kelvin)) {
                    heldTo(kelvin, set.torr(kelvin), citation);
                }
            }
        }
    }
}

TEST_F(VaporLibrary, ReadmeListsEveryStretchedVaporWithoutASecondSource) {
    std::ifstream in(QUANDRELLE_README);
    std::set<std::string> listed;
    for (std::string line; std::getline(in, line);) {
        if (line.find("| single source, extrapolated |") != std::string::npos) {
            listed.insert(line.substr(2, line.find(" |", 2) - 2));
        }
    }
    std::set<std::string> expected;
    for (const Vapor& v : s_vapors) {
        const auto kelvins = temperaturesOfUse(v);
        const bool stretched = std::any_of(kelvins.begin(), kelvins.end(), [&](double k) {
            return k < v.number(kCorrelationTminK) || k > v.number(kCorrelationTmaxK);
        });
        // A refit of a curve of the sources, or the same constants passed on by another compilation,
        // is no second source.
        const auto& sets = s_alternatives[v.texts[kCas]];
        const bool secondSource = std::any_of(sets.begin(), sets.end(), [&](const AlternativeSet& set) {
            const auto& points = s_referencePressures[v.texts[kCas]];
            return set.source != "DIPPR-101 fit" &&
                   std::any_of(points.begin(), points.end(), [&](const auto& p) {
                       return std::find(kelvins.begin(), kelvins.end(), p.kelvin) != kelvins.end() &&
                              std::abs(set.torr(p.kelvin) / p.torr - 1) > 0.001;
                   });
        });
        if (stretched && !secondSource) {
            expected.insert(v.name());
        }
    }
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(listed, expected);
}

TEST_F(VaporLibrary, WeightDensityAndEvidenceAreTheReferences) {
    for (const Vapor& v : s_vapors) {
        EXPECT_EQ(v.number(kMolWt), referenceNumber(v, "molWt")) << v.name();
        EXPECT_EQ(v.number(kLiqDensity), referenceNumber(v, "liqDensity20")) << v.name();
        EXPECT_EQ(v.texts[kName], reference(v, "name"));
        EXPECT_EQ(v.texts[kFormula], reference(v, "formula")) << v.name();
        EXPECT_EQ(v.texts[kRefractiveIndex], reference(v, "refractiveIndex20")) << v.name();
        EXPECT_EQ(v.texts[kBoilingPointK], reference(v, "normalBoilingPointK")) << v.name();
    }
}

TEST_F(VaporLibrary, MolarRefractionFollowsFromTheReferenceIndexWeightAndDensity) {
    for (const Vapor& v : s_vapors) {
        const double expected =
            molarRefraction(referenceNumber(v, "refractiveIndex20"), referenceNumber(v, "molWt"),
                            referenceNumber(v, "liqDensity20"));
        EXPECT_NEAR(v.number(kMolPolariz), expected, halfLastPlace(v.texts[kMolPolariz]) + 1e-9) << v.name();
    }
}

TEST_F(VaporLibrary, WaterSolubilityFactorFollowsTheReference) {
    for (const Vapor& v : s_vapors) {
        const std::string miscible = reference(v, "waterMiscible");
        const std::string solubility = reference(v, "waterSolubility_g_per_L");
        if (miscible == "1") {
            EXPECT_EQ(v.number(kWaterSol), 1) << v.name();
            continue;
        }
        if (solubility.empty()) {
            // No water data: nothing is taken to dissolve, which errs towards the shorter life.
            EXPECT_EQ(v.number(kWaterSol), 0) << v.name();
            continue;
        }
        // The dissolved liquid's share of the saturated solution's volume, a litre of water taking up
        // the grams the reference gives.
        const double dissolvedCm3 = parseWholeNumber(solubility) / referenceNumber(v, "liqDensity20");
        const double fraction = dissolvedCm3 / (dissolvedCm3 + 1000);
        if (fraction < 0.001) {
            EXPECT_EQ(v.number(kWaterSol), 0) << v.name();
        } else {
            EXPECT_NEAR(v.number(kWaterSol), fraction, 0.005 * fraction) << v.name();
        }
    }
}

TEST_F(VaporLibrary, MolecularWeightMatchesTheFormula) {
    for (const Vapor& v : s_vapors) {
        EXPECT_NEAR(v.number(kMolWt), formulaWeight(v.texts[kFormula]), 0.02) << v.name();
    }
}

TEST_F(VaporLibrary, CasNumbersCarryAValidCheckDigit) {
    for (const Vapor& v : s_vapors) {
        EXPECT_TRUE(casNumberValid(v.texts[kCas])) << v.name() << " " << v.texts[kCas];
    }
}

TEST_F(VaporLibrary, NoNameOrCasNumberIsListedTwice) {
    std::set<std::string> names;
    std::set<std::string> casNumbers;
    for (const Vapor& v : s_vapors) {
        // The store's index compares names trimmed and upper-cased, so "Benzene" and " BENZENE"
        // would be one chemical to it.
        EXPECT_TRUE(names.insert(nameKey(v.name())).second) << v.name();
        EXPECT_TRUE(casNumbers.insert(v.texts[kCas]).second) << v.texts[kCas];
    }
}

TEST_F(VaporLibrary, EveryValueFitsItsRecordFieldAsTyped) {
    for (const Vapor& v : s_vapors) {
        if (v.name().empty()) {
            ADD_FAILURE() << "a row without a name";
            continue;
        }
        // Saved as typed, surrounding blanks would be part of the stored name.
        EXPECT_NE(v.name().front(), ' ') << v.name();
        EXPECT_NE(v.name().back(), ' ') << v.name();
        EXPECT_LE(v.name().size(), kNameWidth) << v.name();
        EXPECT_NE(nameKey(v.name()), "NONE SELECTED");
        EXPECT_LE(v.texts[kCas].size(), kCasWidth) << v.name();
        for (int column = kMolWt; column <= kAntoineC; ++column) {
            // A longer text would be cut when saved and then read as a different number.
            EXPECT_LE(v.texts[column].size(), kNumberWidth) << v.name() << " " << kColumns[column];
        }
    }
}

TEST_F(VaporLibrary, EveryNumberLiesWithinTheVaporScreenLimits) {
    const std::vector<std::pair<int, const FieldLimits*>> fields{
        {kMolWt, &limits::kMolWt},
        {kLiqDensity, &limits::kLiqDensity},
        {kMolPolariz, &limits::kMolPolariz},
        {kWaterSol, &limits::kWaterSolFactor},
        {kAvgConc, &limits::kVaporConcentration},
        {kAntoineA, &limits::kAntoineA},
        {kAntoineB, &limits::kAntoineB},
        {kAntoineC, &limits::kAntoineC},
    };
    for (const Vapor& v : s_vapors) {
        for (const auto& [column, limit] : fields) {
            const double value = v.number(column);
            EXPECT_GE(value, limit->lower) << v.name() << " " << kColumns[column];
            EXPECT_LE(value, limit->upper) << v.name() << " " << kColumns[column];
            // The screen refuses an entry of zero wherever zero lies outside the limits.
            if (value == 0) {
                EXPECT_LE(limit->lower, 0) << v.name() << " " << kColumns[column];
            }
        }
    }
}

TEST_F(VaporLibrary, EverySourceCitesItsReferenceRows) {
    const std::size_t cas = s_reference.column("cas");
    for (const Vapor& v : s_vapors) {
        for (std::size_t i = 0; i < s_reference.rows.size(); ++i) {
            if (s_reference.rows[i][cas] == v.texts[kCas]) {
                const std::string citation =
                    "properties.csv line " + std::to_string(s_reference.lines[i]) + ";";
                EXPECT_NE(v.texts[kSource].find(citation), std::string::npos)
                    << v.name() << ": " << v.texts[kSource];
            }
        }
        const auto followed = s_followedAlternative.find(v.texts[kCas]);
        const std::string points =
            followed == s_followedAlternative.end()
                ? std::string("vapor-pressure.csv lines ")
                : std::string(kAlternativeCitation) + std::to_string(followed->second->line);
        EXPECT_NE(v.texts[kSource].find(points), std::string::npos) << v.name() << ": " << v.texts[kSource];
    }
    for (std::size_t i = 0; i < s_corrections.rows.size(); ++i) {
        const auto& fix = s_corrections.rows[i];
        const auto vapor = std::find_if(s_vapors.begin(), s_vapors.end(), [&](const Vapor& v) {
            return v.texts[kCas] == fix[s_corrections.column("cas")];
        });
        ASSERT_NE(vapor, s_vapors.end()) << fix[s_corrections.column("name")];
        const std::string citation = "(corrections.csv line " + std::to_string(s_corrections.lines[i]) + ")";
        EXPECT_NE(vapor->texts[kSource].find(citation), std::string::npos) << vapor->texts[kSource];
    }
}

TEST_F(VaporLibrary, ReferenceVaporsCarryTheirWellKnownProperties) {
    // Benzene is the carbon's reference vapor: its affinity coefficient 0.0862 * P^0.75 must come
    // out close to 1, and at 25 C it evaporates to about 95 torr.
    const auto benzene =
        std::find_if(s_vapors.begin(), s_vapors.end(), [](const Vapor& v) { return v.name() == "Benzene"; });
    ASSERT_NE(benzene, s_vapors.end());
    EXPECT_NEAR(0.0862 * std::pow(benzene->number(kMolPolariz), 0.75), 1.0, 0.01);
    const double pressure = std::exp(benzene->number(kAntoineA) -
                                     benzene->number(kAntoineB) / (298.15 + benzene->number(kAntoineC)));
    EXPECT_NEAR(pressure, 94.8, 1.0);
    EXPECT_EQ(benzene->texts[kCas], "71-43-2");
}

}  // namespace
}  // namespace quandrelle::data
