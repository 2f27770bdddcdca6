#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Radio module IDs as people type and read them: up to six hexadecimal digits (24 bits).
namespace RadioIdModule {

inline constexpr quint32 LargestId = 0xFFFFFF;
inline constexpr int MaxDigits = 6;

struct ParsedId {
    std::optional<quint32> id; // set when the text is a usable ID
    QString problem;           // why not, for the user; "" when usable
};

// 1 to 6 hexadecimal digits, either case, read as an unsigned number (so "FFFF" is 65535, never
// negative). Empty text, zero, more than six digits and anything not hexadecimal are refused.
ParsedId ParseTypedId(const QString& text);
// Upper-case hexadecimal without leading zeros ("12AB"), as status texts show IDs.
QString ToHex(quint32 id);

} // namespace RadioIdModule
