#pragma once

#include <QByteArray>
#include <QString>

// The Western single-byte code page in which profile files and digested brand texts are stored.
// Our own table rather than the platform's converter, so the bytes are the same on every build
// (with or without ICU) and the five unassigned bytes round-trip as the Windows converter does.
namespace CodePage1252 {

// Every byte becomes exactly one character; 0x81, 0x8D, 0x8F, 0x90 and 0x9D become the C1
// control characters of the same number.
QString Decode(const QByteArray& bytes);

// Every UTF-16 unit becomes exactly one byte. A unit the code page cannot hold becomes '?', as the
// Windows ANSI conversion does; firstUnmappable receives its index (or -1 when there is none).
QByteArray Encode(const QString& text, qsizetype* firstUnmappable = nullptr);

// True when Encode would be exact; otherwise firstUnmappable receives the first offending index.
bool CanEncode(const QString& text, qsizetype* firstUnmappable = nullptr);

} // namespace CodePage1252
