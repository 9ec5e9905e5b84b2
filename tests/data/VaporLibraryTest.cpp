// The shipped vapor library is checked row by row against physics it must obey: its vapor pressure
// equation must give the normal boiling point, its molar refraction must follow from the refractive
// index, weight and density, its weight from the formula, and its CAS number must carry a valid check
// digit. Every number must also be something the vapor screen accepts and the record file can hold.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
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
    }
    static CsvTable s_table;
    static std::vector<Vapor> s_vapors;
};

CsvTable VaporLibrary::s_table;
std::vector<Vapor> VaporLibrary::s_vapors;

TEST_F(VaporLibrary, HasTheRecordFieldsInRecordOrderThenTheirEvidence) {
    EXPECT_EQ(s_table.header, kColumns);
    EXPECT_GE(s_vapors.size(), 100u);
}

TEST_F(VaporLibrary, VaporPressureEquationGivesTheNormalBoilingPoint) {
    for (const Vapor& v : s_vapors) {
        const double boiling =
            antoineTemperatureK(v.number(kAntoineA), v.number(kAntoineB), v.number(kAntoineC), 760.0);
        EXPECT_NEAR(boiling, v.number(kBoilingPointK), 2.0) << v.name();
    }
}

TEST_F(VaporLibrary, BoilingPointLiesNearTheRangeTheEquationWasFittedFor) {
    for (const Vapor& v : s_vapors) {
        const double low = v.number(kTminK);
        const double high = v.number(kTmaxK);
        const double boiling = v.number(kBoilingPointK);
        EXPECT_LT(low, high) << v.name();
        EXPECT_GE(boiling, low - 10.0) << v.name();
        EXPECT_LE(boiling, high + 10.0) << v.name();
    }
}

TEST_F(VaporLibrary, MolarRefractionFollowsFromIndexWeightAndDensity) {
    for (const Vapor& v : s_vapors) {
        const double expected =
            molarRefraction(v.number(kRefractiveIndex), v.number(kMolWt), v.number(kLiqDensity));
        EXPECT_NEAR(v.number(kMolPolariz), expected, 0.01 * expected) << v.name();
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

TEST_F(VaporLibrary, EveryRowNamesItsSource) {
    for (const Vapor& v : s_vapors) {
        EXPECT_FALSE(v.texts[kSource].empty()) << v.name();
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
    EXPECT_NEAR(pressure, 95.1, 1.0);
    EXPECT_EQ(benzene->texts[kCas], "71-43-2");
}

}  // namespace
}  // namespace quandrelle::data
