#pragma once

#include "quandrelle/validation/Messenger.h"

namespace quandrelle {

// The message boxes the user sees: exactly the given text and title (an empty title stays empty;
// no title means the application's name), OK or Yes and No, no icon or the critical icon.
class QtMessenger : public Messenger {
public:
    MessageAnswer show(const Message& message) override;
};

}  // namespace quandrelle
