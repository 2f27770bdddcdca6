#include "sim/LoadCell.h"

double LoadCell::signalAt(double tonnes) const {
    const double x = capacityTonnes > 0.0 ? tonnes / capacityTonnes : 0.0;
    // x(1 - x) peaks at 1/4 at half load, so the bow there is exactly the nonlinearity.
    return zeroSignalMvV + sensitivityMvV * (x + 4.0 * nonlinearity * x * (1.0 - x));
}
