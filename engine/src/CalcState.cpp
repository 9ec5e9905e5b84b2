#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

bool isSlotInUse(const VaporData& vapor) {
    return !vapor.chemName.empty() && vapor.chemName != kNoneSelected;
}

}  // namespace quandrelle
