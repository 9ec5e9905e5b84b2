#include "quandrelle/stores/RecordText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "quandrelle/stores/NameIndex.h"

namespace quandrelle {
namespace {

TEST(RecordText, Windows1252BothWays) {
    EXPECT_EQ(toCp1252("Benzene"), "Benzene");
    EXPECT_EQ(toCp1252("\xC3\xA9thanol"), "\xE9thanol");  // é
    EXPECT_EQ(toCp1252("\xE2\x82\xAC 5"), "\x80 5");      // €
    EXPECT_EQ(toCp1252("\xC5\x93"), "\x9C");              // œ
    EXPECT_EQ(fromCp1252("\xE9thanol"), "\xC3\xA9thanol");
    EXPECT_EQ(fromCp1252("\x80"), "\xE2\x82\xAC");
    // Every byte survives the round trip, the unassigned ones included.
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(toCp1252(fromCp1252(all)), all);
}

TEST(RecordText, CharactersTheCodePageCannotHoldBecomeQuestionMarks) {
    EXPECT_EQ(toCp1252("\xE6\xBC\xA2"), "?");            // a CJK character
    EXPECT_EQ(toCp1252("a\xF0\x9F\x98\x80z"), "a?z");    // an emoji, four bytes, one character
    EXPECT_EQ(toCp1252("\xCE\xB1-pinene"), "?-pinene");  // Greek alpha
    EXPECT_EQ(toCp1252("bad\xFF\xFE"), "bad??");         // not UTF-8 at all
    EXPECT_EQ(toCp1252("cut\xE2\x82"), "cut??");         // a sequence cut short
    EXPECT_EQ(toCp1252("\xC0\xAF"), "??");               // an over-long form
}

TEST(RecordText, UpperCaseCoversTheCodePageLetters) {
    EXPECT_EQ(upperCaseName("acetone"), "ACETONE");
    EXPECT_EQ(upperCaseName("\xC3\xA9th\xC3\xBF"), "\xC3\x89TH\xC5\xB8");  // éthÿ -> ÉTHŸ
    EXPECT_EQ(upperCaseName("\xC3\x9F\xC3\xB7"), "\xC3\x9F\xC3\xB7");      // ß and ÷ have no capital here
    EXPECT_EQ(upperCaseName("\xCE\xB1x"), "\xCE\xB1X");                    // outside the code page: kept
}

TEST(RecordText, FieldsAreCutAndFilledInCharacters) {
    EXPECT_EQ(fieldBytes("123.45678", 8), "123.4567");
    EXPECT_EQ(fieldBytes("7", 8), "7       ");
    EXPECT_EQ(fieldBytes("\xC3\xA9\xC3\xA9", 3), "\xE9\xE9 ");
    EXPECT_EQ(storedForm("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9");
}

TEST(NameIndex, KeysAreTrimmedUpperCaseAndFilledTo41Characters) {
    EXPECT_EQ(nameKey("  Benzene "), "BENZENE" + std::string(34, ' '));
    EXPECT_EQ(nameKey("benzene"), nameKey("BENZENE"));
    EXPECT_EQ(nameKey("\xC3\xA9"), "\xC3\x89" + std::string(40, ' '));  // counted in characters
    EXPECT_EQ(nameSearchText("  acet one "), "ACET ONE");
}

struct Entry {
    std::string key;
    int id = 0;
};

// The exchange sort exactly as the lists have always been sorted, for comparison.
void referenceSort(std::vector<Entry>& entries) {
    const std::size_t n = entries.size() - 1;
    for (std::size_t i = 1; i < n; ++i) {
        for (std::size_t j = i + 1; j <= n; ++j) {
            if (entries[i].key > entries[j].key) {
                std::swap(entries[i], entries[j]);
            }
        }
    }
}

TEST(NameIndex, SortLeavesEqualNamesInTheExchangeOrder) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const int size = 1 + static_cast<int>(random() % 40);
        const int distinct = 1 + static_cast<int>(random() % 6);
        std::vector<Entry> entries(size + 1);
        for (int i = 1; i <= size; ++i) {
            entries[i] = {nameKey(std::string(1, static_cast<char>('A' + random() % distinct))), i};
        }
        auto expected = entries;
        referenceSort(expected);
        exchangeSortIndex(entries, [](const Entry& e) -> const std::string& { return e.key; });
        for (int i = 1; i <= size; ++i) {
            ASSERT_EQ(entries[i].id, expected[i].id) << "round " << round << " position " << i;
        }
    }
}

TEST(NameIndex, SortOrdersByCharacterCode) {
    std::vector<Entry> entries{{},
                               {nameKey("BUTYLAMINE"), 1},
                               {nameKey("ACETONE"), 2},
                               {nameKey("BUTYL ACETATE"), 3},
                               {nameKey("1,1,1-TRICHLOROETHANE"), 4},
                               {nameKey("\xC3\x89THER"), 5},
                               {nameKey("ZINC"), 6}};
    exchangeSortIndex(entries, [](const Entry& e) -> const std::string& { return e.key; });
    std::vector<int> order;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        order.push_back(entries[i].id);
    }
    // Digits before letters, the blank before letters, and É (code 201) after Z.
    EXPECT_EQ(order, (std::vector<int>{4, 2, 3, 1, 6, 5}));
}

}  // namespace
}  // namespace quandrelle
