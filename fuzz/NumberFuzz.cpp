// The number reading rule on any text: it must give a finite number or say that the number is too
// large, and agree with itself on whether the text begins with a number at all.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "quandrelle/validation/NumberReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const double value = quandrelle::readNumber(text);
        if (!std::isfinite(value) || (value != 0 && !quandrelle::beginsWithNumber(text))) {
            std::abort();
        }
    } catch (const quandrelle::NumberOverflowError&) {
        if (!quandrelle::beginsWithNumber(text)) {
            std::abort();
        }
    }
    return 0;
}
