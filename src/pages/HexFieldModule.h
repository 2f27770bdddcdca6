#pragma once

#include "device/DeviceValue.h"

#include <QString>
#include <QtGlobal>

// The radio page's hexadecimal fields (the paired module's ID and data tag). They are read and
// shown here, never through a field's numeric value, which takes "1A2B" for the decimal 1.
namespace HexFieldModule {

inline constexpr int BoundIdBits = 24;
inline constexpr int BoundIdDigits = 6;
inline constexpr int DataTagBits = 16;
inline constexpr int DataTagDigits = 4;

// The text read as an unsigned hexadecimal number, kept to its low bits: "&H" in front is
// accepted ("&H0" is 0), as are "0" and ""; reading stops at the first character that is not a
// hexadecimal digit. "FFFF" is 65535, never negative.
quint32 ReadHex(const QString& text, int bits);

// The number as upper-case hexadecimal, zero-padded to digits and cut to its last digits.
QString HexText(quint32 value, int digits);

// A value read from the module as the field shows it: converted to a number through its decimal
// text, rounded, kept to the low bits of the field ("" for a value that holds no number).
QString ShownText(const DeviceValue& value, int bits, int digits);

} // namespace HexFieldModule
