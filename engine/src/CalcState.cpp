#include "quandrelle/engine/CalcState.h"

#include <algorithm>
#include <cctype>

namespace quandrelle {

bool isNoneSelected(std::string_view name) {
    const auto first = name.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return false;
    }
    const std::string_view trimmed = name.substr(first, name.find_last_not_of(' ') - first + 1);
    const std::string_view marker = kNoneSelected;
    return std::equal(trimmed.begin(), trimmed.end(), marker.begin(), marker.end(), [](char typed, char m) {
        return std::toupper(static_cast<unsigned char>(typed)) == std::toupper(static_cast<unsigned char>(m));
    });
}

bool isSlotInUse(const VaporData& vapor) {
    return !vapor.chemName.empty() && !isNoneSelected(vapor.chemName);
}

}  // namespace quandrelle
