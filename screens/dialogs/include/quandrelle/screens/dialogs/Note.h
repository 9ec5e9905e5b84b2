#pragma once

#include <string>

#include "quandrelle/validation/Messenger.h"

namespace quandrelle {

// A plain note: the text, the title "Note", OK and no icon.
void showNote(Messenger& messenger, const std::string& text);

}  // namespace quandrelle
