#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "quandrelle/engine/CalcError.h"

namespace quandrelle {

// Every per-vapor, per-position and per-zone array of the calculation state has the indexes 0..5.
inline constexpr int kFirstSlot = 1;
inline constexpr int kMaxVapors = 5;
inline constexpr int kSlotCount = kMaxVapors + 1;

// A fixed 0..5 array whose every access is checked: an index outside raises the run's
// subscript error instead of reading or writing beside the array.
template <typename T>
class SlotArray {
public:
    T& operator[](int index) { return m_values[checked(index)]; }
    const T& operator[](int index) const { return m_values[checked(index)]; }

    void fill(const T& value) { m_values.fill(value); }

    auto begin() { return m_values.begin(); }
    auto end() { return m_values.end(); }
    auto begin() const { return m_values.begin(); }
    auto end() const { return m_values.end(); }

    friend bool operator==(const SlotArray&, const SlotArray&) = default;

private:
    static std::size_t checked(int index) {
        if (index < 0 || index >= kSlotCount) {
            throw CalcError(CalcErrorKind::SubscriptOutOfRange,
                            "Subscript out of range: index " + std::to_string(index) + " is outside 0 to 5");
        }
        return static_cast<std::size_t>(index);
    }

    std::array<T, kSlotCount> m_values{};
};

}  // namespace quandrelle
