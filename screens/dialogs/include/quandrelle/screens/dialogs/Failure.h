#pragma once

#include <exception>

#include "quandrelle/validation/Messenger.h"

namespace quandrelle {

// Reports a failure nobody expected (a screen step that threw) in a box with the application's
// name as its title, so that the user learns of it and the program keeps running.
void reportFailure(Messenger& messenger, const std::exception& failure);

}  // namespace quandrelle
