#include "quandrelle/stores/RecordText.h"

#include <array>
#include <cstdint>

namespace quandrelle {

namespace {

// Code points of the bytes 0x80..0x9F; the unassigned ones keep their own number.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t codePointOf(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

// The byte for a code point, or '?' when the code page has none.
char byteOf(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one UTF-8 character at pos and advances past it; an invalid sequence gives kInvalid and
// advances by one byte.
char32_t nextCodePoint(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    int length = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
    } else {
        ++pos;
        return kInvalid;
    }
    if (pos + length > s.size()) {
        ++pos;
        return kInvalid;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(s[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kInvalid;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr std::array<char32_t, 5> kShortest = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kShortest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kInvalid;
    }
    pos += length;
    return cp;
}

unsigned char upperByte(unsigned char b) {
    if (b >= 'a' && b <= 'z') {
        return b - 0x20;
    }
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) {
        return b - 0x20;
    }
    switch (b) {
        case 0x9A:  // š
            return 0x8A;
        case 0x9C:  // œ
            return 0x8C;
        case 0x9E:  // ž
            return 0x8E;
        case 0xFF:  // ÿ
            return 0x9F;
        default:
            return b;
    }
}

}  // namespace

std::string toCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = nextCodePoint(utf8, pos);
        out += cp == kInvalid ? '?' : byteOf(cp);
    }
    return out;
}

std::string fromCp1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes) {
        appendUtf8(out, codePointOf(static_cast<unsigned char>(b)));
    }
    return out;
}

std::string upperCaseName(std::string_view utf8) {
    // Characters outside the code page have no case here; they are kept as they are.
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const char32_t cp = nextCodePoint(utf8, pos);
        const char b = cp == kInvalid ? '?' : byteOf(cp);
        if (cp == kInvalid || (b == '?' && cp != '?')) {
            out.append(utf8.substr(start, pos - start));
        } else {
            appendUtf8(out, codePointOf(upperByte(static_cast<unsigned char>(b))));
        }
    }
    return out;
}

std::u32string codePoints(std::string_view utf8) {
    std::u32string points;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = nextCodePoint(utf8, pos);
        points += cp == kInvalid ? U'\uFFFD' : cp;
    }
    return points;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        nextCodePoint(utf8, pos);
        ++count;
    }
    return count;
}

std::string trimTrailingBlanks(std::string_view text) {
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return trimTrailingBlanks(text.substr(first));
}

}  // namespace quandrelle

namespace quandrelle {

std::string fieldBytes(std::string_view utf8, std::size_t width) {
    std::string bytes = toCp1252(utf8);
    bytes.resize(width, ' ');
    return bytes;
}

std::string storedForm(std::string_view utf8, std::size_t width) {
    return fromCp1252(fieldBytes(utf8, width));
}

}  // namespace quandrelle

namespace quandrelle {

bool isValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (nextCodePoint(text, pos) == kInvalid) {
            return false;
        }
    }
    return true;
}

}  // namespace quandrelle
