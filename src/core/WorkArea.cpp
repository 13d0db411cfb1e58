#include "WorkArea.h"

#include <cmath>

namespace WorkArea {

int roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double rest = value - floor;
    if (rest > 0.5)
        return int(floor) + 1;
    if (rest < 0.5)
        return int(floor);
    const int lower = int(floor);
    return lower % 2 == 0 ? lower : lower + 1;
}

} // namespace WorkArea
