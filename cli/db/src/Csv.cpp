#include "quandrelle/db/Csv.h"

namespace quandrelle {

namespace {

class CsvReader {
public:
    explicit CsvReader(std::string_view text) : m_text(text) {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF") {
            m_pos = 3;
        }
    }

    std::vector<CsvRow> rows() {
        std::vector<CsvRow> rows;
        while (m_pos < m_text.size()) {
            CsvRow row{m_line, {}};
            readRow(row.fields);
            if (!(row.fields.size() == 1 && row.fields[0].empty())) {
                rows.push_back(std::move(row));
            }
        }
        return rows;
    }

private:
    bool atLineEnd() const {
        return m_text[m_pos] == '\n' ||
               (m_text[m_pos] == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n');
    }

    void skipLineEnd() {
        m_pos += m_text[m_pos] == '\r' ? 2 : 1;
        ++m_line;
    }

    void readRow(std::vector<std::string>& fields) {
        while (true) {
            fields.push_back(m_pos < m_text.size() && m_text[m_pos] == '"' ? quotedField() : plainField());
            if (m_pos >= m_text.size()) {
                return;
            }
            if (atLineEnd()) {
                skipLineEnd();
                return;
            }
            ++m_pos;  // the comma
        }
    }

    std::string plainField() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != ',' && !atLineEnd()) {
            if (m_text[m_pos] == '"') {
                throw CsvError("line " + std::to_string(m_line) +
                               ": a quote inside a field that does not begin with one (quote the whole field "
                               "and double the quote)");
            }
            ++m_pos;
        }
        return std::string(m_text.substr(start, m_pos - start));
    }

    std::string quotedField() {
        const std::size_t startLine = m_line;
        std::string field;
        ++m_pos;
        while (true) {
            if (m_pos >= m_text.size()) {
                throw CsvError("line " + std::to_string(startLine) + ": a quoted field is never closed");
            }
            const char c = m_text[m_pos++];
            if (c == '\n') {
                ++m_line;
            }
            if (c != '"') {
                field += c;
            } else if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                field += '"';
                ++m_pos;
            } else {
                break;
            }
        }
        if (m_pos < m_text.size() && m_text[m_pos] != ',' && !atLineEnd()) {
            throw CsvError("line " + std::to_string(m_line) + ": text after the closing quote of a field");
        }
        return field;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
};

std::string csvField(const std::string& text) {
    const bool needsQuotes = text.find_first_of(",\"\r\n") != std::string::npos ||
                             (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!needsQuotes) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

}  // namespace

std::vector<CsvRow> parseCsv(std::string_view text) {
    return CsvReader(text).rows();
}

std::string csvRow(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            row += ',';
        }
        row += csvField(fields[i]);
    }
    return row + "\n";
}

}  // namespace quandrelle
