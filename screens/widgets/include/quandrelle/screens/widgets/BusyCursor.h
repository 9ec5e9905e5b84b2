#pragma once

namespace quandrelle {

// Shows the busy pointer for as long as it lives; the default pointer comes back on every way out
// of the scope, a thrown failure included.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace quandrelle
