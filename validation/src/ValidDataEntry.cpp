#include "quandrelle/validation/ValidDataEntry.h"

#include <exception>

#include "quandrelle/validation/NumberReader.h"

namespace quandrelle {

namespace {

constexpr const char* kInvalidEntryTitle = "Invalid Entry";

// A message that cannot be shown must not turn a rejected entry into a crash: the caller's
// answer (reject, keep the focus) stands without it.
void showQuietly(const Message& message, Messenger& messenger) {
    try {
        messenger.show(message);
    } catch (...) {
    }
}

std::string trimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool zeroWithinLimits(const FieldLimits& limits) {
    return limits.lower <= 0 && limits.upper >= 0;
}

bool checkEntry(NumericField& field, const FieldLimits& limits, Messenger& messenger) {
    if (!field.dataChanged()) {
        return true;
    }
    field.setText(trimBlanks(field.text()));
    const std::string text = field.text();
    if (text == "0" && zeroWithinLimits(limits)) {
        return true;
    }
    if (ValidNumInput(field, messenger)) {
        const double value = readNumber(field.text());
        if (limits.lower <= value && value <= limits.upper) {
            return true;
        }
        if (value < limits.lower) {
            MinLimitMessage(limits.lowerText, messenger);
        } else {
            MaxLimitMessage(limits.upperText, messenger);
        }
        return false;
    }
    const std::string after = field.text();
    if (after == "0") {
        field.setSelection(0, 1);
        NonZeroMessage(messenger);
        return false;
    }
    // An entry that is not a number has just been blanked and the empty field is accepted. A text
    // still standing here could not be read at all (the failure has been reported): refusing it
    // keeps the focus in the field instead of letting an unreadable number through.
    return after.empty();
}

}  // namespace

bool ValidUserInput(NumericField& field, const FieldLimits& limits, Messenger& messenger) {
    try {
        return checkEntry(field, limits, messenger);
    } catch (const std::exception& e) {
        ErrorMessage(" ValidUserInput", e.what(), messenger);
    } catch (...) {
        ErrorMessage(" ValidUserInput", "Unexpected failure", messenger);
    }
    return false;
}

bool ValidNumInput(NumericField& field, Messenger& messenger) {
    try {
        const std::string text = field.text();
        if (readNumber(text) != 0) {
            return true;
        }
        if (text == "0") {
            return false;
        }
        field.setText("");
        field.setDataChanged(false);
    } catch (const std::exception& e) {
        ErrorMessage(" ValidNumInput", e.what(), messenger);
    } catch (...) {
        ErrorMessage(" ValidNumInput", "Unexpected failure", messenger);
    }
    return false;
}

void MaxLimitMessage(const std::string& upperText, Messenger& messenger) {
    showQuietly({"This entry must be less than or equal to " + upperText + " ", kInvalidEntryTitle},
                messenger);
}

void MinLimitMessage(const std::string& lowerText, Messenger& messenger) {
    showQuietly({"This entry must be greater than or equal to " + lowerText + " ", kInvalidEntryTitle},
                messenger);
}

void NonZeroMessage(Messenger& messenger) {
    showQuietly({"This entry must not equal zero ", kInvalidEntryTitle}, messenger);
}

void ErrorMessage(const std::string& label, const std::string& description, Messenger& messenger) {
    showQuietly({label + " " + description + " ", std::nullopt}, messenger);
}

}  // namespace quandrelle
