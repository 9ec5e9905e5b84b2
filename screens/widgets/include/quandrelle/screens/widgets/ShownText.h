#pragma once

#include <QString>
#include <string>

namespace quandrelle {

// A text of the engine (UTF-8: vapor names carry accented letters) as a widget shows it.
inline QString shownText(const std::string& value) {
    return QString::fromStdString(value);
}

}  // namespace quandrelle
