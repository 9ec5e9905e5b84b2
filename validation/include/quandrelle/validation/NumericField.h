#pragma once

#include <string>

namespace quandrelle {

// What the entry check needs of a numeric text field. The changed flag turns true on every change
// of the text, typed or set by the program; only the entry check clears it.
class NumericField {
public:
    virtual ~NumericField() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void setSelection(int start, int length) = 0;
    virtual bool dataChanged() const = 0;
    virtual void setDataChanged(bool changed) = 0;
};

// Inclusive limits of a field, as numbers to compare and as the texts the messages quote
// ("1,000", "0.20"): the texts are never read as numbers.
struct FieldLimits {
    double lower = 0;
    double upper = 0;
    std::string lowerText;
    std::string upperText;
};

}  // namespace quandrelle
