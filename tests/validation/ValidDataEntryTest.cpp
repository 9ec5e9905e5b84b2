#include "quandrelle/validation/ValidDataEntry.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "quandrelle/validation/FieldLimitTables.h"

namespace quandrelle {
namespace {

// Records every box instead of showing it; can be told to fail like a box that cannot be shown.
class RecordingMessenger : public Messenger {
public:
    MessageAnswer show(const Message& message) override {
        shown.push_back(message);
        if (failing) {
            throw std::runtime_error("no display");
        }
        return MessageAnswer::Ok;
    }
    std::vector<Message> shown;
    bool failing = false;
};

// A text field as the toolkit keeps it: every change of the text sets the changed flag.
class FakeField : public NumericField {
public:
    explicit FakeField(std::string typed) : m_text(std::move(typed)), m_changed(true) {}
    std::string text() const override { return m_text; }
    void setText(const std::string& text) override {
        if (text != m_text) {
            m_changed = true;
        }
        m_text = text;
    }
    void setSelection(int start, int length) override {
        selStart = start;
        selLength = length;
    }
    bool dataChanged() const override { return m_changed; }
    void setDataChanged(bool changed) override { m_changed = changed; }

    int selStart = -1;
    int selLength = -1;

private:
    std::string m_text;
    bool m_changed;
};

Message invalidEntry(const std::string& text) {
    return {text, "Invalid Entry"};
}

class ValidUserInputTest : public ::testing::Test {
protected:
    bool check(FakeField& field, const FieldLimits& limits) { return ValidUserInput(field, limits, boxes); }
    RecordingMessenger boxes;
};

TEST_F(ValidUserInputTest, UnchangedFieldIsAcceptedWithoutALook) {
    FakeField field("abc");
    field.setDataChanged(false);
    EXPECT_TRUE(check(field, limits::kMolWt));
    EXPECT_EQ(field.text(), "abc");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ValidUserInputTest, TrimsBlanksAndAcceptsWithinLimits) {
    FakeField field("  12  ");
    EXPECT_TRUE(check(field, limits::kMolWt));
    EXPECT_EQ(field.text(), "12");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ValidUserInputTest, BothLimitsAreInclusive) {
    for (const char* text : {"2", "1000", "1e3", "1000.0"}) {
        FakeField field(text);
        EXPECT_TRUE(check(field, limits::kMolWt)) << text;
    }
    FakeField lowest("-120");
    EXPECT_TRUE(check(lowest, limits::kAntoineC));
    FakeField edge("0.20");
    EXPECT_TRUE(check(edge, limits::kWaterAffinity));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ValidUserInputTest, AboveTheUpperLimitQuotesTheUpperText) {
    FakeField field("1001");
    EXPECT_FALSE(check(field, limits::kMolWt));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], invalidEntry("This entry must be less than or equal to 1,000 "));
    EXPECT_EQ(field.text(), "1001");
    EXPECT_EQ(field.selStart, -1);  // the selection is left alone
}

TEST_F(ValidUserInputTest, BelowTheLowerLimitQuotesTheLowerText) {
    FakeField field("1,500");  // reads as 1
    EXPECT_FALSE(check(field, limits::kMolWt));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], invalidEntry("This entry must be greater than or equal to 2 "));
    EXPECT_EQ(field.text(), "1,500");
}

TEST_F(ValidUserInputTest, NegativeLowerLimit) {
    FakeField field("-150");
    EXPECT_FALSE(check(field, limits::kAntoineC));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], invalidEntry("This entry must be greater than or equal to -120 "));
}

TEST_F(ValidUserInputTest, TrailingGarbageIsAcceptedAndKept) {
    FakeField field("12abc");
    EXPECT_TRUE(check(field, limits::kMolWt));
    EXPECT_EQ(field.text(), "12abc");
    FakeField dExponent("1.5D2");
    EXPECT_TRUE(check(dExponent, limits::kMolWt));
}

TEST_F(ValidUserInputTest, ZeroAcceptedWhereTheLimitsHoldIt) {
    FakeField field(" 0 ");
    EXPECT_TRUE(check(field, limits::kWaterSolFactor));
    EXPECT_EQ(field.text(), "0");
    FakeField antoineC("0");
    EXPECT_TRUE(check(antoineC, limits::kAntoineC));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ValidUserInputTest, ZeroOutsideTheLimitsIsSelectedAndRefused) {
    FakeField field("0");
    EXPECT_FALSE(check(field, limits::kMolWt));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], invalidEntry("This entry must not equal zero "));
    EXPECT_EQ(field.text(), "0");
    EXPECT_EQ(field.selStart, 0);
    EXPECT_EQ(field.selLength, 1);
}

TEST_F(ValidUserInputTest, NonNumbersAndOtherZerosAreBlankedSilentlyAndThenAccepted) {
    for (const char* text : {"0.0", "-0", "00", "abc", "   ", "", ".", "1e-400"}) {
        FakeField field(text);
        EXPECT_TRUE(check(field, limits::kMolWt)) << text;
        EXPECT_EQ(field.text(), "") << text;
        EXPECT_FALSE(field.dataChanged()) << text;
        EXPECT_TRUE(check(field, limits::kMolWt)) << text;  // the next leave is not looked at
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ValidUserInputTest, OverflowIsReportedAndRefused) {
    FakeField field("1e400");
    EXPECT_FALSE(check(field, limits::kVaporConcentration));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(boxes.shown[0].title.has_value());
    EXPECT_EQ(boxes.shown[0].text, " ValidNumInput Overflow: the number 1e400 is too large ");
    EXPECT_EQ(field.text(), "1e400");
    // Still refused on the next attempt, so it can never reach a calculation.
    EXPECT_FALSE(check(field, limits::kVaporConcentration));
}

TEST_F(ValidUserInputTest, VeryLongTexts) {
    FakeField longNumber(std::string(300, '1'));
    EXPECT_FALSE(check(longNumber, limits::kMolWt));
    EXPECT_EQ(boxes.shown.back(), invalidEntry("This entry must be less than or equal to 1,000 "));
    FakeField longGarbage(std::string(10000, 'x'));
    EXPECT_TRUE(check(longGarbage, limits::kMolWt));
    EXPECT_EQ(longGarbage.text(), "");
}

TEST_F(ValidUserInputTest, ABoxThatCannotBeShownStillRefuses) {
    boxes.failing = true;
    FakeField field("5000");
    EXPECT_FALSE(check(field, limits::kMolWt));
    FakeField zero("0");
    EXPECT_FALSE(check(zero, limits::kMolWt));
    FakeField huge("1e400");
    EXPECT_FALSE(check(huge, limits::kMolWt));
}

// A field whose text cannot be read is an unexpected failure: reported and refused.
class BrokenField : public FakeField {
public:
    BrokenField() : FakeField("5") {}
    std::string text() const override { throw std::runtime_error("field unavailable"); }
};

TEST_F(ValidUserInputTest, UnexpectedFailureIsReportedWithTheRoutineLabel) {
    BrokenField field;
    EXPECT_FALSE(check(field, limits::kMolWt));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (Message{" ValidUserInput field unavailable ", std::nullopt}));
}

TEST(ValidNumInput, ExactZeroIsLeftAlone) {
    RecordingMessenger boxes;
    FakeField field("0");
    EXPECT_FALSE(ValidNumInput(field, boxes));
    EXPECT_EQ(field.text(), "0");
    EXPECT_TRUE(field.dataChanged());
    FakeField number("-7");
    EXPECT_TRUE(ValidNumInput(number, boxes));
}

}  // namespace
}  // namespace quandrelle
