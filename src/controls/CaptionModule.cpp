#include "controls/CaptionModule.h"

#include "util/NumberFormatModule.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace CaptionModule {

namespace {

bool isDigit(QChar c) {
    return c >= QChar(u'0') && c <= QChar(u'9');
}

bool isHexDigit(QChar c) {
    return isDigit(c) || (c >= QChar(u'a') && c <= QChar(u'f')) ||
           (c >= QChar(u'A') && c <= QChar(u'F'));
}

// Length of the number at the start of text (from position from); 0 when there is none.
int numberLength(const QString& text, int from, bool allowExponent) {
    int i = from;
    if (i < text.size() && (text[i] == QChar(u'+') || text[i] == QChar(u'-'))) {
        ++i;
    }
    int digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == QChar(u'.')) {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (allowExponent && i < text.size() && (text[i] == QChar(u'E') || text[i] == QChar(u'e'))) {
        int j = i + 1;
        if (j < text.size() && (text[j] == QChar(u'+') || text[j] == QChar(u'-'))) {
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i - from;
}

// Independent of the process locale; overflow gives infinity, underflow 0.
double toDouble(const QString& number) {
    return QLocale::c().toDouble(number);
}

int firstNonBlank(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    return i;
}

} // namespace

double LeadingNumber(const QString& text, bool allowExponent) {
    const int start = firstNonBlank(text);
    const int length = numberLength(text, start, allowExponent);
    return length == 0 ? 0.0 : toDouble(text.mid(start, length));
}

std::optional<double> WholeNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    const int length = numberLength(trimmed, 0, true);
    if (length == 0 || length != trimmed.size()) {
        return std::nullopt;
    }
    return toDouble(trimmed);
}

bool HoldsNumber(const QString& text, bool hexadecimal) {
    const int start = firstNonBlank(text);
    if (hexadecimal) {
        return start < text.size() && isHexDigit(text[start]);
    }
    return numberLength(text, start, false) > 0;
}

QString WithDecimalPoint(const QString& text, QChar decimalSeparator) {
    QString result = text;
    if (decimalSeparator != QChar(u'.')) {
        result.replace(decimalSeparator, QChar(u'.'));
    }
    return result;
}

QString WithLineBreaks(const QString& caption) {
    QString result = caption;
    return result.replace(QStringLiteral("**"), QStringLiteral("\r\n"));
}

bool IsHexadecimalSet(const QString& allowed) {
    for (const QChar c : allowed) {
        if ((c >= QChar(u'a') && c <= QChar(u'f')) || (c >= QChar(u'A') && c <= QChar(u'F'))) {
            return true;
        }
    }
    return false;
}

QString FormatCaption(const QString& text, const QString& format, bool hexadecimal,
                      QChar decimalSeparator) {
    if (format.isEmpty()) {
        return text;
    }
    if (hexadecimal) {
        const bool zeroPattern =
            format.count(QChar(u'0')) == format.size() && !format.contains(QChar(u'*'));
        if (zeroPattern && !text.isEmpty() && text.size() < format.size()) {
            return QString(format.size() - text.size(), QChar(u'0')) + text;
        }
        return text;
    }
    const std::optional<double> number = WholeNumber(WithDecimalPoint(text, decimalSeparator));
    if (!number || !std::isfinite(*number)) {
        return text;
    }
    if (format == QStringLiteral("*")) {
        return NumberFormatModule::AutoFormat(*number, decimalSeparator);
    }
    return NumberFormatModule::FormatNumber(*number, format, decimalSeparator);
}

QChar AccessKey(const QString& caption) {
    const int at = caption.indexOf(QChar(u'&'));
    if (at < 0 || at + 1 >= caption.size() || caption[at + 1] == QChar(u'&')) {
        return QChar();
    }
    return caption[at + 1].toLower();
}

qint16 ToInt16(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::nearbyint(value);
    return qint16(std::clamp(rounded, double(std::numeric_limits<qint16>::min()),
                             double(std::numeric_limits<qint16>::max())));
}

qint32 ToInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::nearbyint(value);
    return qint32(std::clamp(rounded, double(std::numeric_limits<qint32>::min()),
                             double(std::numeric_limits<qint32>::max())));
}

bool FitsSingle(double value) {
    return std::isfinite(value) && std::fabs(value) <= double(std::numeric_limits<float>::max());
}

} // namespace CaptionModule
