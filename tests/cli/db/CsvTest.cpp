#include "quandrelle/db/Csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quandrelle {
namespace {

using Fields = std::vector<std::string>;

TEST(Csv, QuotedFieldsHoldCommasQuotesAndLineBreaks) {
    const auto rows = parseCsv(
        "name,cas\n"
        "\"1,1,1-Trichloroethane\",71-55-6\n"
        "\"Acetone \"\"pure\"\"\",67-64-1\n"
        "\"two\nlines\",x\n"
        "last,\"\"\n");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1].fields, (Fields{"1,1,1-Trichloroethane", "71-55-6"}));
    EXPECT_EQ(rows[2].fields, (Fields{"Acetone \"pure\"", "67-64-1"}));
    EXPECT_EQ(rows[3].fields, (Fields{"two\nlines", "x"}));
    EXPECT_EQ(rows[4].fields, (Fields{"last", ""}));
    EXPECT_EQ(rows[4].line, 6u);  // counted past the line break inside the quotes
}

TEST(Csv, LineEndsByteOrderMarkAndEmptyLines) {
    const auto rows = parseCsv(
        "\xEF\xBB\xBF"
        "a,b\r\n\r\n1, 2 \r\n,\n3,4");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].fields, (Fields{"a", "b"}));
    EXPECT_EQ(rows[1].fields, (Fields{"1", " 2 "}));  // blanks belong to the field
    EXPECT_EQ(rows[1].line, 3u);
    EXPECT_EQ(rows[2].fields, (Fields{"", ""}));
    EXPECT_EQ(rows[3].fields, (Fields{"3", "4"}));  // no line end at the very end
    EXPECT_TRUE(parseCsv("").empty());
}

TEST(Csv, MalformedTextIsRefusedWithItsLine) {
    EXPECT_THROW(parseCsv("a\n\"open,b\n"), CsvError);
    EXPECT_THROW(parseCsv("\"closed\"x,b\n"), CsvError);
    try {
        parseCsv("a,b\nc,d\nsay \"hi\",e\n");
        FAIL() << "stray quote accepted";
    } catch (const CsvError& e) {
        EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos) << e.what();
    }
}

TEST(Csv, WrittenRowsReadBackUnchanged) {
    const Fields fields{"plain", "with, comma", "with \"quotes\"", " padded ", "", "two\r\nlines"};
    EXPECT_EQ(csvRow({"a", "b,c", "d\"e", " f"}), "a,\"b,c\",\"d\"\"e\",\" f\"\n");
    const auto rows = parseCsv(csvRow(fields) + csvRow({"x"}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].fields, fields);
}

}  // namespace
}  // namespace quandrelle
