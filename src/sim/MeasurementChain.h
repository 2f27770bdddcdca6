#pragma once

#include <array>

// The arithmetic a module applies between its input signal and its display: linearisation and
// display resolution (units: DisplayUnits). Free of state so the module model and its tests share
// it.
namespace MeasurementChain {

inline constexpr int MaxLinearisationPoints = 6;

// The signal corrected by the table: LINX are mV/V input points, LINK the corrections × 1000,
// interpolated between points. Fewer than two points leave the signal as it is; outside the
// table the correction of the nearest end point holds.
double Linearise(double mvv, int points, const std::array<double, MaxLinearisationPoints>& linx,
                 const std::array<double, MaxLinearisationPoints>& link);

// Decimal places shown for the decimal point setting DP (0 to 6): "0.00000" twice, then
// "00.0000" ... "000000".
int DecimalPlaces(int dp);
// The smallest display step: 1, 2 or 5 (RESOL 0, 1, 2) in the last shown digit.
double ResolutionStep(int resol, int decimalPlaces);
double RoundToStep(double value, double step);

} // namespace MeasurementChain
