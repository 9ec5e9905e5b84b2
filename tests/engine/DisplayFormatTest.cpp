#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "quandrelle/engine/DisplayFormat.h"

namespace quandrelle {
namespace {

TEST(Patterns, EstimateShowsOptionalDigitsAroundTheAlwaysShownPoint) {
    EXPECT_EQ(formatNumber(0.4, "#.#"), ".4");
    EXPECT_EQ(formatNumber(12, "#.#"), "12.");
    EXPECT_EQ(formatNumber(0, "#.#"), ".");
    EXPECT_EQ(formatNumber(123.45678901234, "#.#"), "123.5");
    EXPECT_EQ(formatNumber(9.96, "#.#"), "10.");
    EXPECT_EQ(formatNumber(0.04, "#.#"), ".");
}

TEST(Patterns, HalvesRoundAwayFromZeroAsTheNumberReads) {
    EXPECT_EQ(formatNumber(12.5, "0"), "13");
    EXPECT_EQ(formatNumber(2.5, "0"), "3");
    EXPECT_EQ(formatNumber(12.25, "#.#"), "12.3");
    EXPECT_EQ(formatNumber(0.05, "#.#"), ".1");  // 0.05 is a little below 0.05 in binary
    EXPECT_EQ(formatNumber(1.005, "0.00"), "1.01");
    EXPECT_EQ(formatNumber(-2.5, "0"), "-3");
    EXPECT_EQ(formatNumber(0.4, "0"), "0");
}

TEST(Patterns, WholeNumbersAndFixedDecimals) {
    EXPECT_EQ(formatNumber(5, "00"), "05");
    EXPECT_EQ(formatNumber(50, "00"), "50");
    EXPECT_EQ(formatNumber(123, "00"), "123");
    EXPECT_EQ(formatNumber(1, "0.00"), "1.00");
    EXPECT_EQ(formatNumber(0.995, "0.00"), "1.00");
    EXPECT_EQ(formatNumber(1e15, "0"), "1000000000000000");
    EXPECT_THROW(formatNumber(1, "0.0"), std::invalid_argument);
}

TEST(Patterns, HumidityPercentShowsTwoDigits) {
    EXPECT_EQ(formatNumber(roundHalfEven(0.5f * 100.0f, 2), "00"), "50");
    EXPECT_EQ(formatNumber(roundHalfEven(0.05f * 100.0f, 2), "00"), "05");
}

TEST(RoundHalfEven, TwoDecimalsWithTiesToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(319.2958, 2), 319.3);
    EXPECT_EQ(roundHalfEven(0.125, 2), 0.12);
    EXPECT_EQ(roundHalfEven(0.135, 2), 0.14);
    EXPECT_EQ(roundHalfEven(2.675, 2), 2.68);
    EXPECT_EQ(roundHalfEven(-1.005, 2), -1.0);
    EXPECT_EQ(roundHalfEven(0.004, 2), 0.0);
}

TEST(GeneralText, SingleIsTheShortestTextThatReadsBack) {
    EXPECT_EQ(generalText(0.5f), "0.5");
    EXPECT_EQ(generalText(78.11f), "78.11");
    EXPECT_EQ(generalText(1000.0f), "1000");
    EXPECT_EQ(generalText(0.4f), "0.4");
    EXPECT_EQ(generalText(-120.0f), "-120");
    EXPECT_EQ(generalText(0.0f), "0");
    EXPECT_EQ(generalText(-0.0f), "0");
    EXPECT_EQ(generalText(1234567.0f), "1234567");
}

TEST(GeneralText, SingleKeepsAtMostSevenDigits) {
    // 1.0000001 needs eight digits to read back; the seven-digit rounding is shown.
    EXPECT_EQ(generalText(1.0000001f), "1");
    EXPECT_EQ(generalText(0.099999994f), "0.09999999");
}

TEST(GeneralText, VeryLargeAndVerySmallValuesUseAnExponentThatReadsBack) {
    EXPECT_EQ(generalText(1e20f), "1E+20");
    EXPECT_EQ(generalText(1.5e-9f), "1.5E-09");
    EXPECT_EQ(generalText(12345678.0f), "1.234568E+07");
    EXPECT_EQ(generalText(1e300), "1E+300");
    for (const float value : {1e20f, 1.5e-9f, 3.25e-30f, 7.77e37f}) {
        EXPECT_EQ(std::strtof(generalText(value).c_str(), nullptr), value);
    }
}

TEST(GeneralText, DoubleUsesUpToFifteenDigits) {
    EXPECT_EQ(generalText(319.3), "319.3");
    EXPECT_EQ(generalText(0.1 + 0.2), "0.3");
    EXPECT_EQ(generalText(123.45678901234), "123.45678901234");
    EXPECT_EQ(generalText(0.000125), "0.000125");
    EXPECT_EQ(generalText(1.0 / 3.0), "0.333333333333333");
}

}  // namespace
}  // namespace quandrelle
