#include "quandrelle/screens/dialogs/Failure.h"

#include <string>

namespace quandrelle {

void reportFailure(Messenger& messenger, const std::exception& failure) {
    try {
        messenger.show(Message{std::string("Unexpected failure: ") + failure.what(), std::nullopt,
                               MessageButtons::Ok, MessageIcon::Critical});
    } catch (...) {
        // Nothing more can be told if even the box fails.
    }
}

}  // namespace quandrelle
