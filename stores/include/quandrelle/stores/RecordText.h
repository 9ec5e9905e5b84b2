#pragma once

#include <string>
#include <string_view>

namespace quandrelle {

// The record files hold one byte per character in the Windows-1252 code page; the program works in
// UTF-8. These convert at the file boundary.

// UTF-8 to Windows-1252: one byte per character; a character the code page cannot hold, and any
// byte that is not valid UTF-8, becomes "?".
std::string toCp1252(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes the code page leaves unassigned map to the control
// characters of the same number, so every byte survives a round trip.
std::string fromCp1252(std::string_view bytes);

// Upper case as the name keys use it: the letters of the code page (a-z, the accented Latin letters,
// š, œ, ž, ÿ) become their capitals; everything else is kept.
std::string upperCaseName(std::string_view utf8);

// The characters (code points) of a UTF-8 text; a byte that is not valid UTF-8 gives U+FFFD.
std::u32string codePoints(std::string_view utf8);

// Number of characters (code points) of a UTF-8 text.
std::size_t characterCount(std::string_view utf8);

// Blanks (only the blank, not tabs) removed at the end, or at both ends.
std::string trimTrailingBlanks(std::string_view text);
std::string trimBlanks(std::string_view text);

}  // namespace quandrelle

namespace quandrelle {

// One text field of a record as the file holds it: converted to Windows-1252, then cut or filled
// with blanks to its width in bytes (one byte per character).
std::string fieldBytes(std::string_view utf8, std::size_t width);

// A text as it will read back once stored in a field of that width (converted, cut and filled).
std::string storedForm(std::string_view utf8, std::size_t width);

}  // namespace quandrelle

namespace quandrelle {

// True when the text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

}  // namespace quandrelle
