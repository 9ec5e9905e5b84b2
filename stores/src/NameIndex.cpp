#include "quandrelle/stores/NameIndex.h"

#include "quandrelle/stores/RecordText.h"

namespace quandrelle {

std::string nameSearchText(std::string_view name) {
    return upperCaseName(trimBlanks(name));
}

std::string nameKey(std::string_view name) {
    std::string key = nameSearchText(name);
    const std::size_t length = characterCount(key);
    if (length < kNameKeyWidth) {
        key.append(kNameKeyWidth - length, ' ');
    }
    return key;
}

}  // namespace quandrelle
