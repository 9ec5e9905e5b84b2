#pragma once

#include <string>

#include "quandrelle/validation/Messenger.h"
#include "quandrelle/validation/NumericField.h"

namespace quandrelle {

// The entry check of every numeric field: true when the entry is acceptable. A rejection has been
// explained in an "Invalid Entry" box by the time it returns false. An unchanged field is accepted
// without a look; a text that is not a number (or a zero written other than "0") is blanked and
// accepted; "0" outside the limits is selected and refused with the zero message.
bool ValidUserInput(NumericField& field, const FieldLimits& limits, Messenger& messenger);

// True when the field's text reads as a non-zero number; blanks the field when the text reads as
// zero without being exactly "0".
bool ValidNumInput(NumericField& field, Messenger& messenger);

// The "Invalid Entry" boxes quoting the violated limit, and the refusal of a zero.
void MaxLimitMessage(const std::string& upperText, Messenger& messenger);
void MinLimitMessage(const std::string& lowerText, Messenger& messenger);
void NonZeroMessage(Messenger& messenger);

// Reports an unexpected failure inside the entry check: the routine's label (with its leading
// blank, " ValidUserInput"), one blank, the description and one trailing blank, in a box with the
// application's own title.
void ErrorMessage(const std::string& label, const std::string& description, Messenger& messenger);

}  // namespace quandrelle
