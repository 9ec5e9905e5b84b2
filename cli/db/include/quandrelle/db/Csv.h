#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quandrelle {

// A CSV text that cannot be read; the message gives the line.
class CsvError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CsvRow {
    std::size_t line = 0;  // where the row begins, from 1
    std::vector<std::string> fields;
};

// Reads comma-separated rows: a field in double quotes may hold commas, line breaks and doubled
// quotes; line ends are LF or CR LF; a leading byte-order mark is dropped; empty lines are skipped.
// Blanks around a field are part of it. Throws CsvError for a quote left open or text after a
// closing quote.
std::vector<CsvRow> parseCsv(std::string_view text);

// One row, ending in a line feed: a field holding a comma, a quote, a line break or blanks at an
// end is quoted, with its quotes doubled.
std::string csvRow(const std::vector<std::string>& fields);

}  // namespace quandrelle
