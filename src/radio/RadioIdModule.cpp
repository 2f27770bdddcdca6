#include "radio/RadioIdModule.h"

namespace RadioIdModule {

ParsedId ParseTypedId(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty()) {
        return {std::nullopt,
                QStringLiteral("No radio ID was given; type 1 to 6 hexadecimal digits")};
    }
    if (digits.size() > MaxDigits) {
        return {std::nullopt,
                QStringLiteral("Radio ID \"%1\" is longer than 6 hexadecimal digits").arg(text)};
    }
    quint32 id = 0;
    for (const QChar c : digits) {
        int digit = -1;
        if (c >= u'0' && c <= u'9') {
            digit = c.unicode() - u'0';
        } else if (c >= u'a' && c <= u'f') {
            digit = c.unicode() - u'a' + 10;
        } else if (c >= u'A' && c <= u'F') {
            digit = c.unicode() - u'A' + 10;
        }
        if (digit < 0) {
            return {
                std::nullopt,
                QStringLiteral("Radio ID \"%1\" is not hexadecimal (use 0-9 and A-F)").arg(text)};
        }
        id = id * 16 + quint32(digit);
    }
    if (id == 0) {
        return {std::nullopt, QStringLiteral("Radio ID 0 names no module")};
    }
    return {id, QString()};
}

QString ToHex(quint32 id) {
    return QString::number(id, 16).toUpper();
}

} // namespace RadioIdModule
