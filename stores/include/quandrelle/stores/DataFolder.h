#pragma once

#include <string>
#include <string_view>

namespace quandrelle {

// The folder separator of this platform; a data folder always ends in it.
inline constexpr char kFolderSeparator = '/';

// Where the record files live when the program runs from inside its development tools.
inline constexpr std::string_view kDevelopmentDataFolder = "/opt/Quandrelle/";

// The data folder for a program folder: the fixed development folder when the program folder text
// holds "VB98" or "Visual Studio" (case-sensitive) anywhere but at its very first character;
// otherwise the program folder itself, ending in exactly the one separator it needs (a root such
// as "/" is used unchanged).
std::string resolveDataFolder(std::string_view programFolder);

// The folder of the running executable, without a trailing separator unless it is the root.
// Falls back to the current working folder when the executable cannot be located.
std::string executableFolder();

}  // namespace quandrelle
