#include "Checked.h"

namespace quandrelle::checked {

void fail(CalcErrorKind kind, const std::string& description) {
    throw CalcError(kind, description);
}

}  // namespace quandrelle::checked
