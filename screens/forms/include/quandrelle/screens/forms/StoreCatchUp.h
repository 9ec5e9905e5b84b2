#pragma once

#include <exception>
#include <memory>
#include <string>

#include "quandrelle/stores/StoreError.h"
#include "quandrelle/validation/Messenger.h"

namespace quandrelle {

// Lets a record screen's store catch up with what another program saved while the screen was
// hidden. A file that cannot be read again now is left for the next search or save to report: no
// message box may open while a screen is being shown.
template <typename Store>
void catchUpQuietly(Store* store) noexcept {
    if (store == nullptr) {
        return;
    }
    try {
        store->refresh();
    } catch (const StoreError&) {
    }
}

// A record file that cannot be used, said in a box titled as the command that needed it.
inline void reportStoreError(Messenger& messenger, const std::exception& error, const std::string& title) {
    messenger.show(Message{error.what(), title, MessageButtons::Ok, MessageIcon::None});
}

// Opens a record screen's file on first need. A file that could not be opened (a folder the user
// may not write to, say) is tried again by the next search or save, so that the screen works once
// the cause is removed. True while the file is open.
template <typename Store>
bool openStoreOnce(std::unique_ptr<Store>& store, const std::string& dataFolder, Messenger& messenger,
                   const std::string& title) {
    if (store != nullptr) {
        return true;
    }
    try {
        store = std::make_unique<Store>(dataFolder);
        return true;
    } catch (const std::exception& error) {
        reportStoreError(messenger, error, title);
        return false;
    }
}

}  // namespace quandrelle
