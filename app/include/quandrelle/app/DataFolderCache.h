#pragma once

#include <functional>
#include <string>

#include "quandrelle/stores/DataFolder.h"

namespace quandrelle {

// The folder of the record files, chosen and made ready on first use and then kept: a later call
// returns the same text without looking at the program folder again.
class DataFolderCache {
public:
    using Chooser = std::function<DataFolderChoice()>;

    // The choice is the one for the running executable and this user unless a test hands in
    // another.
    explicit DataFolderCache(Chooser choose = {});

    // Throws StoreError, and keeps nothing, when the folder cannot be made ready; the next call
    // tries again.
    const std::string& DataFolderPath();

private:
    Chooser m_choose;
    std::string m_cached;
};

}  // namespace quandrelle
