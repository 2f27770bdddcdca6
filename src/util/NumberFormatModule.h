#pragma once

#include "device/DeviceValue.h"

#include <QString>

// Number patterns ("0", "0.00", "#", "0.#####0" ...), display formatting of device values and
// number parsing. Texts shown to the user carry AppState().DecimalSeparator; texts for files and
// for the device use ".".
namespace NumberFormatModule {

// Formats with a pattern: "0" always shows a digit, "#" only when the number has one there, "."
// is the decimal separator (shown as decimalSeparator). Rounded to the pattern's decimals, half
// away from zero, from the shortest decimal text of the value (1.005 with "0.00" is "1.01");
// integer digits are never dropped and never written with an exponent. After the point, every
// place up to the last "0" shows, so "0.#####0" always has six decimals (12.5 is "12.500000");
// "#" places after the last "0" drop trailing zeros, and the point goes when no decimal is left.
// A value that rounds to zero has no minus. Text before and after the digit places is kept.
// An empty pattern, or one without "0" or "#", is the general number format: the device's text
// form (up to 15 significant digits, "1E+30") with decimalSeparator. NaN and infinities show as
// "NaN", "Inf" and "-Inf" with any pattern.
QString FormatNumber(double value, const QString& pattern, QChar decimalSeparator = QChar(u'.'));

// The user's decimal separator (the first character of AppState().DecimalSeparator), "." when
// none is set.
QChar UserDecimalSeparator();

// A device value with a pattern. A single float is rounded from its own seven-digit text, so a
// module's 2.675 shows as 2.68 and not as the 2.67 its binary double would give, and the general
// format shows a single with 7 significant digits. Whole numbers stay exact. Empty gives "";
// text that holds no number, and booleans, come back as their text.
QString FormatValue(const DeviceValue& value, const QString& pattern,
                    QChar decimalSeparator = QChar(u'.'));

// Seven significant digits: the pattern "0.#####0", then cut (not rounded) to the characters
// that fit. Whole-number digits are never cut off (123456789.4 shows as "123456789"), and a
// separator left at the end is dropped.
QString AutoFormat(double value, QChar decimalSeparator = QChar(u'.'));

// A device value cut to what the module's six-digit display shows, chosen by the current
// device's DP and UnitMode (both read on every call) and shown with AppState().DecimalSeparator.
// The result is text. With no current device, or a DP or UnitMode read that is empty or raises
// a DeviceError, the general number format is used. An empty value gives "", and text that holds
// no number comes back unchanged; neither reads the device.
DeviceValue FormatForDisplay(const DeviceValue& value);

// "," and "." both read as decimal point, and every "0-" as "-" in one literal pass (so "0-12"
// is -12, but "10-12" is 1). The leading number of the text: blanks skipped, optional sign,
// digits with at most one point, an exponent only when it has digits; 0 when there is none.
// Beyond the double range the result is -DBL_MAX or DBL_MAX, never an infinity.
double ParseNumber(const QString& text);

} // namespace NumberFormatModule
