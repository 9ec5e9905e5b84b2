#include "quandrelle/fit/FitPoint.h"

#include "quandrelle/engine/DisplayFormat.h"

namespace quandrelle {

std::string minutesText(double minutes) {
    return generalText(roundHalfEven(minutes, 1));
}

}  // namespace quandrelle
