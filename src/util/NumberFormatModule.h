#pragma once

#include "device/DeviceValue.h"

#include <QString>

// Number patterns ("0", "0.00", "#", "0.#####0" ...), display formatting of device values and
// number parsing. Texts shown to the user carry AppState().DecimalSeparator; texts for files and
// for the device use ".".
namespace NumberFormatModule {

// Formats with a pattern: "0" always shows a digit, "#" only when the number has one there, "."
// is the decimal separator (shown as decimalSeparator). Rounded to the pattern's decimals;
// integer digits are never dropped. An empty pattern is the general number format.
QString FormatNumber(double value, const QString& pattern, QChar decimalSeparator = QChar(u'.'));

// Seven significant digits: the pattern "0.#####0", then cut (not rounded) to the characters
// that fit.
QString AutoFormat(double value, QChar decimalSeparator = QChar(u'.'));

// A device value cut to what the module's six-digit display shows, chosen by the current
// device's DP and UnitMode.
DeviceValue FormatForDisplay(const DeviceValue& value);

// "," and "." both read as decimal point, "0-" as "-"; the leading number of the text, 0 when
// there is none.
double ParseNumber(const QString& text);

} // namespace NumberFormatModule
