#include "quandrelle/validation/NumberReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace quandrelle {
namespace {

TEST(NumberReader, ReadsTheLeadingNumberAndIgnoresTheRest) {
    EXPECT_DOUBLE_EQ(readNumber("12abc"), 12.0);
    EXPECT_DOUBLE_EQ(readNumber("78.11abc"), 78.11);
    EXPECT_DOUBLE_EQ(readNumber("1,000"), 1.0);  // "," is never part of a number
    EXPECT_DOUBLE_EQ(readNumber("1.2.3"), 1.2);  // one decimal point only
    EXPECT_DOUBLE_EQ(readNumber("-3.5x"), -3.5);
    EXPECT_DOUBLE_EQ(readNumber("+4"), 4.0);
    EXPECT_DOUBLE_EQ(readNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(readNumber("5."), 5.0);
}

TEST(NumberReader, IgnoresBlanksTabsAndLineFeedsWhereverTheyStand) {
    EXPECT_DOUBLE_EQ(readNumber("  12  "), 12.0);
    EXPECT_DOUBLE_EQ(readNumber("1 000"), 1000.0);
    EXPECT_DOUBLE_EQ(readNumber("- 5"), -5.0);
    EXPECT_DOUBLE_EQ(readNumber("\t1\n2. 5"), 12.5);
    EXPECT_DOUBLE_EQ(readNumber("1 e 3"), 1000.0);
    // A carriage return is not ignored: it ends the number.
    EXPECT_DOUBLE_EQ(readNumber("1\r2"), 1.0);
}

TEST(NumberReader, ExponentWithEOrDInEitherCase) {
    EXPECT_DOUBLE_EQ(readNumber("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(readNumber("1E3"), 1000.0);
    EXPECT_DOUBLE_EQ(readNumber("1d3"), 1000.0);
    EXPECT_DOUBLE_EQ(readNumber("2.5D-2"), 0.025);
    EXPECT_DOUBLE_EQ(readNumber("2e+2"), 200.0);
    // An exponent letter without digits ends the number before the letter.
    EXPECT_DOUBLE_EQ(readNumber("12e"), 12.0);
    EXPECT_DOUBLE_EQ(readNumber("12e+"), 12.0);
    EXPECT_DOUBLE_EQ(readNumber("12ex5"), 12.0);
}

TEST(NumberReader, TextNotBeginningWithANumberReadsAsZero) {
    for (const char* text : {"", "   ", "abc", ".", "-", "+-5", "e5", "$5", ",5"}) {
        EXPECT_EQ(readNumber(text), 0.0) << text;
        EXPECT_FALSE(beginsWithNumber(text)) << text;
    }
    for (const char* text : {"0", " - 0.0", ".5", "5.", "12abc", "1,000", "\t+7e", "0e5"}) {
        EXPECT_TRUE(beginsWithNumber(text)) << text;
    }
    EXPECT_EQ(readNumber("0.0"), 0.0);
    EXPECT_EQ(readNumber("00"), 0.0);
    EXPECT_TRUE(std::signbit(readNumber("-0")));
}

TEST(NumberReader, OverflowIsAnErrorNotAnInfinity) {
    EXPECT_THROW(readNumber("1e400"), NumberOverflowError);
    EXPECT_THROW(readNumber("-1e400"), NumberOverflowError);
    EXPECT_THROW(readNumber("1.8e308"), NumberOverflowError);
    EXPECT_THROW(readNumber("1e99999999999999999999"), NumberOverflowError);
    EXPECT_THROW(readNumber(std::string(400, '9')), NumberOverflowError);
    EXPECT_DOUBLE_EQ(readNumber("1.7976931348623157e308"), 1.7976931348623157e308);
}

TEST(NumberReader, UnderflowAndZeroMantissaReadAsZero) {
    EXPECT_EQ(readNumber("1e-400"), 0.0);
    EXPECT_EQ(readNumber("0e99999999999999999999"), 0.0);
    EXPECT_EQ(readNumber("0.000e400"), 0.0);
    EXPECT_DOUBLE_EQ(readNumber("0.001e3"), 1.0);
    EXPECT_DOUBLE_EQ(readNumber("1000e-3"), 1.0);
}

TEST(NumberReader, VeryLongTexts) {
    EXPECT_DOUBLE_EQ(readNumber("1." + std::string(5000, '0') + "1"), 1.0);
    EXPECT_DOUBLE_EQ(readNumber(std::string(5000, '0') + "42"), 42.0);
    EXPECT_DOUBLE_EQ(readNumber("7" + std::string(100000, 'x')), 7.0);
    try {
        readNumber(std::string(5000, '9'));
        FAIL() << "no overflow";
    } catch (const NumberOverflowError& e) {
        EXPECT_LT(std::string(e.what()).size(), 100u);  // the message quotes only the start
    }
}

}  // namespace
}  // namespace quandrelle
