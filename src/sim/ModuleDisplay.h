#pragma once

#include <QString>
#include <array>

// The module's own seven-character display and its encoding in the display registers REM1-REM5:
// two characters per register, high byte first; unlit positions are code 0.
namespace ModuleDisplay {

inline constexpr int Width = 7; // six digits and the decimal point
inline constexpr int RegisterCount = 5;

// The value with its decimal places, or "------" when it does not fit the six digits.
QString ValueText(double value, int decimalPlaces);
// Shown instead of the value when the input is beyond the load cell's range.
QString OverrangeText();

// Right-aligned in the seven positions; the three positions after them stay unlit.
std::array<float, RegisterCount> Registers(const QString& text);

} // namespace ModuleDisplay
