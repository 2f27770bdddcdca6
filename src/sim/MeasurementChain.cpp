#include "sim/MeasurementChain.h"

#include <algorithm>
#include <cmath>

namespace MeasurementChain {
double Linearise(double mvv, int points, const std::array<double, MaxLinearisationPoints>& linx,
                 const std::array<double, MaxLinearisationPoints>& link) {
    const int count = std::min(points, MaxLinearisationPoints);
    if (count < 2) {
        return mvv;
    }
    double correction = 0.0;
    bool found = false;
    for (int i = 0; i + 1 < count && !found; ++i) {
        const double x0 = linx[i];
        const double x1 = linx[i + 1];
        if (mvv < std::min(x0, x1) || mvv > std::max(x0, x1)) {
            continue;
        }
        found = true;
        correction =
            x1 == x0 ? link[i] : link[i] + (link[i + 1] - link[i]) * (mvv - x0) / (x1 - x0);
    }
    if (!found) {
        const bool nearFirst = std::abs(mvv - linx[0]) <= std::abs(mvv - linx[count - 1]);
        correction = nearFirst ? link[0] : link[count - 1];
    }
    return mvv + correction / 1000.0;
}

int DecimalPlaces(int dp) {
    static constexpr std::array<int, 7> places = {5, 5, 4, 3, 2, 1, 0};
    return places[std::clamp(dp, 0, 6)];
}

double ResolutionStep(int resol, int decimalPlaces) {
    static constexpr std::array<double, 3> increments = {1.0, 2.0, 5.0};
    return increments[std::clamp(resol, 0, 2)] * std::pow(10.0, -decimalPlaces);
}

double RoundToStep(double value, double step) {
    return step > 0.0 ? std::round(value / step) * step : value;
}

} // namespace MeasurementChain
