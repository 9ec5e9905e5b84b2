#include "quandrelle/screens/dialogs/Note.h"

namespace quandrelle {

void showNote(Messenger& messenger, const std::string& text) {
    messenger.show(Message{text, std::string("Note"), MessageButtons::Ok, MessageIcon::None});
}

}  // namespace quandrelle
