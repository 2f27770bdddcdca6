#include "pages/HexFieldModule.h"

#include "device/DeviceErrors.h"

#include <cmath>

namespace HexFieldModule {
namespace {

quint32 Mask(int bits) {
    return bits >= 32 ? 0xFFFFFFFFu : (quint32(1) << bits) - 1;
}

int DigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

} // namespace

quint32 ReadHex(const QString& text, int bits) {
    QStringView digits = QStringView(text).trimmed();
    if (digits.startsWith(u"&H", Qt::CaseInsensitive)) {
        digits = digits.mid(2);
    }
    const quint32 mask = Mask(bits);
    quint32 value = 0;
    for (const QChar c : digits) {
        const int digit = DigitValue(c);
        if (digit < 0) {
            break;
        }
        // Kept to the field's bits at every step, so a long text cannot overflow.
        value = ((value << 4) | quint32(digit)) & mask;
    }
    return value;
}

QString HexText(quint32 value, int digits) {
    const QString hex = QString::number(value, 16).toUpper();
    const QString padded = QString(digits, u'0') + hex;
    return padded.right(digits);
}

QString ShownText(const DeviceValue& value, int bits, int digits) {
    double number = 0.0;
    try {
        number = value.toDouble();
    } catch (const DeviceError&) {
        return QString();
    }
    if (!std::isfinite(number)) {
        return QString();
    }
    // Two's complement for a negative number, as a hexadecimal text of it would show it.
    const double whole = std::nearbyint(std::fmod(number, 4294967296.0));
    const auto bitsOf = quint32(qint64(whole) & 0xFFFFFFFF);
    return HexText(bitsOf & Mask(bits), digits);
}

} // namespace HexFieldModule
