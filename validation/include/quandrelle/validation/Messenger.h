#pragma once

#include <optional>
#include <string>

namespace quandrelle {

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageIcon { None, Critical };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// One modal message box: the words, the title (none means the application's own name), the
// buttons and the icon. Texts are UTF-8 and shown exactly as given, blanks included.
struct Message {
    std::string text;
    std::optional<std::string> title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;

    friend bool operator==(const Message&, const Message&) = default;
};

// Every message box of the program goes through this interface, so that the screens show real
// boxes while tests script the answers and record exactly what would have been shown.
class Messenger {
public:
    virtual ~Messenger() = default;
    virtual MessageAnswer show(const Message& message) = 0;
};

}  // namespace quandrelle
