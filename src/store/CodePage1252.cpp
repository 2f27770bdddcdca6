#include "store/CodePage1252.h"

#include <array>

namespace {

// Characters of the bytes 0x80 to 0x9F; the rest of the code page is the byte's own number.
constexpr std::array<char16_t, 32> HighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte for a character, or -1 when the code page has none.
int ByteFor(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return unit;
    }
    for (int i = 0; i < int(HighControlRange.size()); ++i) {
        if (HighControlRange[i] == unit) {
            return 0x80 + i;
        }
    }
    return -1;
}

} // namespace

namespace CodePage1252 {

QString Decode(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(byte >= 0x80 && byte < 0xA0 ? HighControlRange[byte - 0x80] : byte);
    }
    return text;
}

QByteArray Encode(const QString& text, qsizetype* firstUnmappable) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    qsizetype firstBad = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = ByteFor(text.at(i).unicode());
        if (byte < 0 && firstBad < 0) {
            firstBad = i;
        }
        bytes[i] = static_cast<char>(byte < 0 ? '?' : byte);
    }
    if (firstUnmappable) {
        *firstUnmappable = firstBad;
    }
    return bytes;
}

bool CanEncode(const QString& text, qsizetype* firstUnmappable) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (ByteFor(text.at(i).unicode()) < 0) {
            if (firstUnmappable) {
                *firstUnmappable = i;
            }
            return false;
        }
    }
    if (firstUnmappable) {
        *firstUnmappable = -1;
    }
    return true;
}

} // namespace CodePage1252
