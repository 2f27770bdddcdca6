#pragma once

#include <QChar>
#include <QString>
#include <array>
#include <optional>

// The six loads the user types for a calibration: the low point, up to four linearisation points
// and the high point, in tonnes, as the fields hold them.
namespace CalibrationLoads {

inline constexpr int Count = 6;
inline constexpr int Low = 0;
inline constexpr int High = 5;
using Texts = std::array<QString, Count>;

inline const QString InputErrorTitle = QStringLiteral("Incorrect Information");

// A typed number: the user's decimal separator stands for "." and the leading number is read
// (blanks skipped, optional sign and exponent); a text without one is 0.
double iVal(const QString& expression, QChar decimalSeparator);

// Whether a field holds nothing (blanks count as nothing).
bool IsBlank(const QString& text);

// The reason the loads cannot be used ("You must enter the Low Cal Point..."), or nothing when
// they can: the low and high points given, no gap among the linearisation points, and all given
// values strictly ascending from left to right as the module will hold them (single floats).
std::optional<QString> Problem(const Texts& texts, QChar decimalSeparator);

} // namespace CalibrationLoads
