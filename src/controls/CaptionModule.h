#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>
#include <optional>

// How a field turns its raw caption into the text it shows, and reads numbers back from it.
namespace CaptionModule {

// The leading number of a text: leading blanks skipped, an optional sign, digits with "." as
// decimal point and, when allowExponent, an exponent ("1E3"). Reading stops at the first
// character that cannot continue the number; a text without one gives 0. Overflow gives
// infinity, which callers refuse.
double LeadingNumber(const QString& text, bool allowExponent = true);

// True when the text starts with a number (blanks aside): at least one digit, with "." as
// decimal point; for a hexadecimal field, a hexadecimal digit. "", "-" and "." hold none.
bool HoldsNumber(const QString& text, bool hexadecimal = false);

// The number when the whole text (blanks around it aside) is one, with "." as decimal point.
std::optional<double> WholeNumber(const QString& text);

// The text with the user's decimal separator replaced by ".".
QString WithDecimalPoint(const QString& text, QChar decimalSeparator);

// "**" marks a line break in a caption.
QString WithLineBreaks(const QString& caption);

// True when the allowed characters include hexadecimal letters: such a field holds a hex text,
// never a decimal number in exponent form.
bool IsHexadecimalSet(const QString& allowed);

// The shown text for a format: "" as is; "*" seven significant digits; otherwise a number
// pattern. Text that is not a number is shown as it is. A hexadecimal field keeps its text and a
// pattern of zeros only pads it with leading zeros.
QString FormatCaption(const QString& text, const QString& format, bool hexadecimal,
                      QChar decimalSeparator);

// The lower-cased letter after the first single "&", or a null character ("&&" is a literal "&").
QChar AccessKey(const QString& caption);

// Clamped rather than overflowing; NaN gives 0. Halves round to even.
qint16 ToInt16(double value);
qint32 ToInt32(double value);

// A committed number must be finite and fit a single float.
bool FitsSingle(double value);

} // namespace CaptionModule
