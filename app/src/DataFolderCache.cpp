#include "quandrelle/app/DataFolderCache.h"

#include "quandrelle/fit/StarterPlacement.h"

namespace quandrelle {

DataFolderCache::DataFolderCache(Chooser choose) : m_choose(std::move(choose)) {
    if (!m_choose) {
        m_choose = [] { return chooseDataFolderFor(executableFolder(), userDataFolder()); };
    }
}

const std::string& DataFolderCache::DataFolderPath() {
    if (m_cached.empty()) {
        const DataFolderChoice choice = m_choose();
        prepareDataFolderWithStarters(choice);
        m_cached = choice.folder;
    }
    return m_cached;
}

}  // namespace quandrelle
