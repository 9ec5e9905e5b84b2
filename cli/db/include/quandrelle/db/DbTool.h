#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "quandrelle/stores/DataFolder.h"

namespace quandrelle {

// Exit statuses of quandrelle-db.
inline constexpr int kDbOk = 0;
inline constexpr int kDbNotFound = 1;
inline constexpr int kDbBadUse = 2;  // bad use, or a file that cannot be read or written

// Runs one quandrelle-db command line (without the program name), printing results to `out` and
// messages to `err`. `defaultFolder` is the data folder used unless --folder names another.
int runDbTool(const std::vector<std::string>& args, const std::string& defaultFolder, std::ostream& out,
              std::ostream& err);

// The same with the data folder chosen by the data-folder rule: a command run without --folder first
// makes that folder ready (creating it and copying the shipped library in when the rule says so).
int runDbTool(const std::vector<std::string>& args, const DataFolderChoice& defaultFolder, std::ostream& out,
              std::ostream& err);

}  // namespace quandrelle
