// The checks of the vapor library must be able to fail: each is shown to catch the kind of slip it
// guards against.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "LibraryChecks.h"
#include "TempFolder.h"

namespace quandrelle::data {
namespace {

TEST(CsvFile, RowsOfTheWrongWidthNameTheirLine) {
    testing::TempFolder folder;
    folder.write("short.csv", "a,b\r\n\"1,5\",2\r\n\r\n3\r\n");
    try {
        readCsvFile(folder.file("short.csv"));
        ADD_FAILURE() << "a short row was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("line 4"), std::string::npos) << e.what();
    }
    folder.write("good.csv", "a,b\r\n\"1,5\",2\r\n");
    EXPECT_EQ(readCsvFile(folder.file("good.csv")).rows,
              (std::vector<std::vector<std::string>>{{"1,5", "2"}}));
    EXPECT_THROW(readCsvFile(folder.file("missing.csv")), std::runtime_error);
}

TEST(WholeNumber, AcceptsOnlyAPlainNumberFillingTheText) {
    EXPECT_DOUBLE_EQ(parseWholeNumber("-52.36"), -52.36);
    EXPECT_DOUBLE_EQ(parseWholeNumber("100"), 100);
    EXPECT_THROW(parseWholeNumber(""), std::invalid_argument);
    EXPECT_THROW(parseWholeNumber("78.11 "), std::invalid_argument);
    EXPECT_THROW(parseWholeNumber("1,000"), std::invalid_argument);
    EXPECT_THROW(parseWholeNumber("abc"), std::invalid_argument);
}

TEST(FormulaWeight, SumsStandardAtomicWeights) {
    EXPECT_NEAR(formulaWeight("C6H6"), 78.114, 0.001);
    EXPECT_NEAR(formulaWeight("CH2Cl2"), 84.93, 0.01);   // two-letter element after a one-letter one
    EXPECT_NEAR(formulaWeight("C2HCl3"), 131.38, 0.01);  // a count of one left out
    EXPECT_NEAR(formulaWeight("C12H26"), 170.34, 0.01);  // counts of two digits
    EXPECT_THROW(formulaWeight("C6Xx6"), std::invalid_argument);
    EXPECT_THROW(formulaWeight("c6h6"), std::invalid_argument);
    EXPECT_THROW(formulaWeight(""), std::invalid_argument);
}

TEST(CasNumber, CheckDigitAndShapeAreVerified) {
    EXPECT_TRUE(casNumberValid("71-43-2"));    // benzene
    EXPECT_TRUE(casNumberValid("7732-18-5"));  // water
    EXPECT_TRUE(casNumberValid("1120-21-4"));  // undecane
    EXPECT_FALSE(casNumberValid("71-43-3"));   // wrong check digit
    EXPECT_FALSE(casNumberValid("71-34-2"));   // two digits swapped
    EXPECT_FALSE(casNumberValid("7143-2"));    // a part missing
    EXPECT_FALSE(casNumberValid("71-432-2"));  // middle part too long
    EXPECT_FALSE(casNumberValid("7-43-2"));    // first part too short
    EXPECT_FALSE(casNumberValid("71-4a-2"));
    EXPECT_FALSE(casNumberValid(""));
}

TEST(MolarRefraction, BenzeneComesOutNearItsTextbookValue) {
    EXPECT_NEAR(molarRefraction(1.5011, 78.11, 0.8765), 26.2, 0.1);
    EXPECT_DOUBLE_EQ(molarRefraction(1.0, 50, 1), 0);
}

TEST(AntoineTemperature, InvertsTheVaporPressureEquation) {
    const double a = 15.90085, b = 2788.507, c = -52.36;
    const double t = antoineTemperatureK(a, b, c, 760.0);
    EXPECT_NEAR(std::exp(a - b / (t + c)), 760.0, 1e-9);
    EXPECT_NEAR(t, 353.25, 0.05);
}

TEST(AntoinePressure, UsesTheConstantsAsTheProgramHoldsThem) {
    // 2788.5071 is not a single-precision number: the program computes with 2788.50708...
    const double asHeld = std::exp(15.90085f - 2788.5071f / (298.15 - 52.36f));
    EXPECT_EQ(antoineTorr(15.90085, 2788.5071, -52.36, 298.15), asHeld);
    EXPECT_NE(antoineTorr(15.90085, 2788.5071, -52.36, 298.15),
              std::exp(15.90085 - 2788.5071 / (298.15 - 52.36)));
}

TEST(HalfLastPlace, FollowsTheDecimalsWritten) {
    EXPECT_DOUBLE_EQ(halfLastPlace("16.45881"), 0.000005);
    EXPECT_DOUBLE_EQ(halfLastPlace("-43.15"), 0.005);
    EXPECT_DOUBLE_EQ(halfLastPlace("100"), 0.5);
    EXPECT_THROW(halfLastPlace("1,5"), std::invalid_argument);
}

TEST(PressureTable, GroupsPointsByCasNumberInRisingTemperature) {
    testing::TempFolder folder;
    folder.write(
        "p.csv",
        "cas,T_K,P_torr,inRange\n71-43-2,298.15,94.8,1\n64-17-5,273.15,12.2,1\n71-43-2,273.15,26.3,0\n");
    const auto points = pressuresByCas(readCsvFile(folder.file("p.csv")));
    ASSERT_EQ(points.size(), 2u);
    ASSERT_EQ(points.at("71-43-2").size(), 2u);
    EXPECT_EQ(points.at("71-43-2")[0].kelvin, 273.15);
    EXPECT_EQ(points.at("71-43-2")[1].torr, 94.8);
    folder.write("q.csv", "cas,T_K\n71-43-2,298.15\n");
    EXPECT_THROW(pressuresByCas(readCsvFile(folder.file("q.csv"))), std::runtime_error);
    folder.write("r.csv", "cas,T_K,P_torr\n71-43-2,298.15,n/a\n");
    EXPECT_THROW(pressuresByCas(readCsvFile(folder.file("r.csv"))), std::invalid_argument);
}

TEST(NameKey, TrimsBlanksAndUpperCasesAsTheIndexDoes) {
    EXPECT_EQ(nameKey("  Methyl ethyl ketone "), "METHYL ETHYL KETONE");
    EXPECT_EQ(nameKey("   "), "");
}

}  // namespace
}  // namespace quandrelle::data
