// The shipped vapor library is held to the reference data it is built from (data/reference/), not
// to itself: every row's vapor pressure against the reference points at the temperatures of use, its
// weight, density and refractive index against the reference properties. It is also held to physics
// it must obey (the weight from the formula, the CAS check digit) and to what the record file and the
// vapor screen accept.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
    "chemName",      "molWt",        "liqDensity",   "molPolariz", "waterSolFactor", "avgConc",
    "antoineA",      "antoineB",     "antoineC",     "casNumber",  "formula",        "refractiveIndex",
    "boilingPointK", "antoineTminK", "antoineTmaxK", "source",
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
    kSource,
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
        s_pressures = pressuresByCas(readCsvFile(QUANDRELLE_REFERENCE_PRESSURES));
    }

    // The few reference values found wrong are held to their corrected value instead, each only while
    // the reference still holds the value the correction was made against.
    static void applyCorrections() {
        const std::size_t cas = s_corrections.column("cas");
        const std::size_t column = s_corrections.column("column");
        for (const auto& fix : s_corrections.rows) {
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
    static CsvTable s_table;
    static std::vector<Vapor> s_vapors;
    static CsvTable s_reference;
    static CsvTable s_corrections;
    static std::map<std::string, std::vector<PressurePoint>> s_pressures;
};

CsvTable VaporLibrary::s_table;
std::vector<Vapor> VaporLibrary::s_vapors;
CsvTable VaporLibrary::s_reference;
CsvTable VaporLibrary::s_corrections;
std::map<std::string, std::vector<PressurePoint>> VaporLibrary::s_pressures;

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
        EXPECT_NE(v.texts[kSource].find("vapor-pressure.csv lines "), std::string::npos) << v.name();
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
