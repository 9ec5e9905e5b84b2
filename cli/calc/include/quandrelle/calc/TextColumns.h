#pragma once

#include <string>

#include "quandrelle/stores/RecordText.h"

namespace quandrelle::calc {

// Pads to a width in characters, not bytes, so that a name with accented letters keeps the
// columns after it in line; a longer text keeps one blank after it.
inline std::string padded(const std::string& text, std::size_t width) {
    const std::size_t length = characterCount(text);
    return length >= width ? text + " " : text + std::string(width - length, ' ');
}

}  // namespace quandrelle::calc
