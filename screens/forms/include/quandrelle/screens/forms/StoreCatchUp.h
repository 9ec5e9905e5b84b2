#pragma once

#include "quandrelle/stores/StoreError.h"

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

}  // namespace quandrelle
