#include "util/NumberFormatModule.h"

#include "device/CurrentDevice.h"
#include "device/DeviceErrors.h"
#include "util/ApplicationState.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

namespace NumberFormatModule {

namespace {

constexpr int DisplayDigits = 6;
constexpr int AutoFormatDigits = 7;

// A finite number as decimal digits: |value| = 0.d1d2d3... x 10^pointPosition, so
// pointPosition is the count of digits before the decimal point (zero or negative for values
// below 0.1). No leading or trailing zero digits; zero has no digits at all.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int pointPosition = 0;
};

void trimTrailingZeros(DecimalDigits& number) {
    while (!number.digits.empty() && number.digits.back() == '0') {
        number.digits.pop_back();
    }
    if (number.digits.empty()) {
        number.pointPosition = 0;
    }
}

// We round the shortest text that reads back as the same binary number, not the binary number
// itself: 1.005 is stored as 1.00499999999999989..., yet a technician typed and reads 1.005.
template <typename Float>
DecimalDigits shortestDigits(Float value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific);
    const std::string text(buffer.data(), result.ptr);
    DecimalDigits number;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        number.negative = true;
        ++i;
    }
    const std::size_t exponentAt = text.find('e');
    for (; i < exponentAt && i < text.size(); ++i) {
        if (text[i] != '.') {
            number.digits += text[i];
        }
    }
    const int exponent =
        exponentAt == std::string::npos ? 0 : std::atoi(text.c_str() + exponentAt + 1);
    number.pointPosition = exponent + 1;
    if (number.digits.find_first_not_of('0') == std::string::npos) {
        number.digits.clear();
    }
    trimTrailingZeros(number);
    return number;
}

DecimalDigits wholeDigits(qint64 value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    DecimalDigits number;
    number.negative = value < 0;
    number.digits.assign(buffer.data() + (number.negative ? 1 : 0), result.ptr);
    number.pointPosition = int(number.digits.size());
    if (value == 0) {
        number.digits.clear();
    }
    trimTrailingZeros(number);
    return number;
}

// Half away from zero: a technician reads 0.125 with two decimals as 0.13, and -2.5 with none
// as -3, as on paper.
void roundToDecimals(DecimalDigits& number, int decimals) {
    const int keep = number.pointPosition + decimals;
    if (keep >= int(number.digits.size())) {
        return;
    }
    const bool roundUp = keep >= 0 && number.digits[std::size_t(keep)] >= '5';
    number.digits.resize(std::size_t(std::max(keep, 0)));
    if (roundUp) {
        int i = keep - 1;
        while (i >= 0 && number.digits[std::size_t(i)] == '9') {
            number.digits[std::size_t(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++number.digits[std::size_t(i)];
        } else {
            number.digits.insert(number.digits.begin(), '1');
            ++number.pointPosition;
        }
    }
    trimTrailingZeros(number);
}

struct Pattern {
    QString prefix;
    QString suffix;
    int minimumIntegerDigits = 0;
    int decimals = 0;       // digit positions after the point
    int forcedDecimals = 0; // up to and including the last "0" after the point
    bool hasDigits = false;
};

bool isPatternCharacter(QChar c) {
    return c == u'0' || c == u'#' || c == u'.';
}

// Text before the first and after the last pattern character is copied as it stands; anything
// else between them, and a second ".", is ignored.
Pattern parsePattern(const QString& text) {
    Pattern pattern;
    const auto first = std::find_if(text.cbegin(), text.cend(), isPatternCharacter);
    if (first == text.cend()) {
        return pattern;
    }
    const auto last = std::find_if(text.crbegin(), text.crend(), isPatternCharacter).base();
    pattern.prefix = QString(first - text.cbegin(), Qt::Uninitialized);
    std::copy(text.cbegin(), first, pattern.prefix.begin());
    pattern.suffix = text.mid(last - text.cbegin());

    bool afterPoint = false;
    bool integerZeroSeen = false;
    for (auto it = first; it != last; ++it) {
        const QChar c = *it;
        if (c == u'.') {
            afterPoint = true;
            continue;
        }
        if (c != u'0' && c != u'#') {
            continue;
        }
        pattern.hasDigits = true;
        if (afterPoint) {
            ++pattern.decimals;
            if (c == u'0') {
                pattern.forcedDecimals = pattern.decimals;
            }
        } else {
            // A "#" before the first "0" is an optional leading digit; from the first "0" on,
            // every position shows.
            integerZeroSeen = integerZeroSeen || c == u'0';
            if (integerZeroSeen) {
                ++pattern.minimumIntegerDigits;
            }
        }
    }
    return pattern;
}

QString render(DecimalDigits number, const Pattern& pattern, QChar decimalSeparator) {
    roundToDecimals(number, pattern.decimals);
    const int digitCount = int(number.digits.size());
    auto digitAt = [&](int index) {
        return index >= 0 && index < digitCount ? number.digits[std::size_t(index)] : '0';
    };

    std::string integerPart;
    for (int i = 0; i < number.pointPosition; ++i) {
        integerPart += digitAt(i);
    }
    if (int(integerPart.size()) < pattern.minimumIntegerDigits) {
        integerPart.insert(0, std::size_t(pattern.minimumIntegerDigits) - integerPart.size(), '0');
    }

    std::string decimalPart;
    for (int i = 0; i < pattern.decimals; ++i) {
        decimalPart += digitAt(number.pointPosition + i);
    }
    while (int(decimalPart.size()) > pattern.forcedDecimals && decimalPart.back() == '0') {
        decimalPart.pop_back();
    }
    // "#" patterns on zero would otherwise show nothing at all.
    if (integerPart.empty() && decimalPart.empty()) {
        integerPart = "0";
    }

    QString text;
    // A value that rounds to zero has no digits left, so it never shows as "-0.00".
    if (number.negative && !number.digits.empty()) {
        text += u'-';
    }
    text += pattern.prefix;
    text += QLatin1String(integerPart.data(), qsizetype(integerPart.size()));
    if (!decimalPart.empty()) {
        text += decimalSeparator;
        text += QLatin1String(decimalPart.data(), qsizetype(decimalPart.size()));
    }
    text += pattern.suffix;
    return text;
}

// Short enough to survive every display cut.
QString nonFiniteText(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("NaN");
    }
    return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
}

// The general number format is the device's own text form with the caller's separator.
QString generalText(const DeviceValue& value, QChar decimalSeparator) {
    QString text = value.toText();
    text.replace(u'.', decimalSeparator);
    return text;
}

// The number a value holds, or nothing for empty values, booleans and text that is no number.
std::optional<double> numberIn(const DeviceValue& value) {
    switch (value.kind()) {
    case DeviceValue::Kind::Whole:
    case DeviceValue::Kind::Single:
    case DeviceValue::Kind::Double:
        return value.toDouble();
    case DeviceValue::Kind::Text:
        try {
            return value.toDouble();
        } catch (const ConversionError&) {
            return std::nullopt;
        }
    default:
        return std::nullopt;
    }
}

// The module's display pattern for its decimal point and unit; "" (the general format) when
// there is no module, or it gives no usable answer.
QString displayPattern() {
    static constexpr std::array<std::array<const char*, 3>, 7> Patterns{{
        {"0.000", "0.00000", "0.00000"},
        {"0.00", "0.000", "0.00000"},
        {"0.0", "0.000", "0.0000"},
        {"0", "0.00", "0.000"},
        {"0", "0.0", "0.00"},
        {"0", "0", "0.0"},
        {"0", "0", "0"},
    }};
    ZEX* device = CurrentDevice::Get();
    if (!device) {
        return QString();
    }
    qint16 dp = -1;
    double unitMode = -1.0;
    try {
        const DeviceValue dpValue = device->DP();
        if (dpValue.isEmpty()) {
            return QString();
        }
        dp = dpValue.toInt16();
        const DeviceValue unitModeValue = device->UnitMode();
        if (unitModeValue.isEmpty()) {
            return QString();
        }
        unitMode = ParseNumber(unitModeValue.toText());
    } catch (const DeviceError&) {
        // A driver that refuses the read, or a DP beyond 16 bits: show the plain number.
        return QString();
    }
    if (dp < 0 || dp >= qint16(Patterns.size())) {
        return QString();
    }
    int column = -1;
    if (unitMode == 0.0 || unitMode == 7.0) {
        column = 0;
    } else if (unitMode == 1.0) {
        column = 1;
    } else if (unitMode == 3.0) {
        column = 2;
    } else {
        return QString();
    }
    return QString::fromLatin1(Patterns[std::size_t(dp)][std::size_t(column)]);
}

} // namespace

QString FormatNumber(double value, const QString& pattern, QChar decimalSeparator) {
    if (!std::isfinite(value)) {
        return nonFiniteText(value);
    }
    const Pattern parsed = parsePattern(pattern);
    if (!parsed.hasDigits) {
        return generalText(DeviceValue(value), decimalSeparator);
    }
    return render(shortestDigits(value), parsed, decimalSeparator);
}

QString FormatValue(const DeviceValue& value, const QString& pattern, QChar decimalSeparator) {
    switch (value.kind()) {
    case DeviceValue::Kind::Empty:
        return QString();
    case DeviceValue::Kind::Boolean:
        return value.toText();
    case DeviceValue::Kind::Text:
        if (const std::optional<double> number = numberIn(value)) {
            return FormatNumber(*number, pattern, decimalSeparator);
        }
        return value.toText();
    case DeviceValue::Kind::Double:
        return FormatNumber(value.toDouble(), pattern, decimalSeparator);
    case DeviceValue::Kind::Whole:
    case DeviceValue::Kind::Single:
        break;
    }
    if (!std::isfinite(value.toDouble())) {
        return nonFiniteText(value.toDouble());
    }
    const Pattern parsed = parsePattern(pattern);
    if (!parsed.hasDigits) {
        return generalText(value, decimalSeparator);
    }
    const DecimalDigits digits = value.kind() == DeviceValue::Kind::Whole
                                     ? wholeDigits(value.toWhole())
                                     : shortestDigits(value.toSingle());
    return render(digits, parsed, decimalSeparator);
}

QString AutoFormat(double value, QChar decimalSeparator) {
    const QString text = FormatNumber(value, QStringLiteral("0.#####0"), decimalSeparator);
    qsizetype length = AutoFormatDigits;
    if (text.contains(u'-')) {
        length = AutoFormatDigits + 1;
    }
    if (text.contains(u'.')) {
        ++length;
    }
    if (text.contains(u',')) {
        ++length;
    }
    if (decimalSeparator != u'.' && decimalSeparator != u',' && text.contains(decimalSeparator)) {
        ++length;
    }
    if (text.startsWith(u'0')) {
        ++length;
    }
    if (text.startsWith(QLatin1String("-0"))) {
        ++length;
    }
    // Cutting into the whole-number digits would show another number (123456789 as 12345678),
    // so those always stay; a separator left dangling at the end goes.
    const qsizetype separatorAt = text.indexOf(decimalSeparator);
    length = std::max(length, separatorAt >= 0 ? separatorAt : text.size());
    QString cut = text.left(length);
    if (cut.endsWith(decimalSeparator)) {
        cut.chop(1);
    }
    return cut;
}

DeviceValue FormatForDisplay(const DeviceValue& value) {
    const std::optional<double> number = numberIn(value);
    if (!number) {
        // Nothing to format: no device reads, and "Not supported!" stays readable.
        return DeviceValue(value.toText());
    }
    const QString text = FormatValue(value, displayPattern(), UserDecimalSeparator());
    // Only a full stop takes no digit place on the module's display; a comma is cut like a digit.
    qsizetype length = DisplayDigits;
    if (text.contains(u'.')) {
        ++length;
    }
    if (*number < 0) {
        ++length;
    }
    return DeviceValue(text.left(length));
}

double ParseNumber(const QString& text) {
    QString source = text;
    source.replace(u',', u'.');
    // One left-to-right pass, as the device texts need it: "0-12" reads -12, "10-12" reads 1.
    source.replace(QLatin1String("0-"), QLatin1String("-"));

    const qsizetype size = source.size();
    auto isDigit = [&](qsizetype i) { return i < size && source[i] >= u'0' && source[i] <= u'9'; };
    qsizetype i = 0;
    while (i < size && source[i].isSpace()) {
        ++i;
    }
    const qsizetype start = i;
    if (i < size && (source[i] == u'+' || source[i] == u'-')) {
        ++i;
    }
    int mantissaDigits = 0;
    while (isDigit(i)) {
        ++i;
        ++mantissaDigits;
    }
    if (i < size && source[i] == u'.') {
        ++i;
        while (isDigit(i)) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return 0.0;
    }
    qsizetype end = i;
    // An exponent counts only with at least one digit: "1e" and "1e+" read as 1.
    if (i < size && (source[i] == u'e' || source[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < size && (source[j] == u'+' || source[j] == u'-')) {
            ++j;
        }
        if (isDigit(j)) {
            while (isDigit(j)) {
                ++j;
            }
            end = j;
        }
    }
    bool ok = false;
    const double value = source.mid(start, end - start).toDouble(&ok);
    if (std::isinf(value)) {
        // No caller can use infinity (a range check, a single-float write): keep the sign and
        // "as large as it gets".
        return value < 0 ? -DBL_MAX : DBL_MAX;
    }
    if (!ok || value == 0.0) {
        return 0.0; // underflow, and no "-0"
    }
    return value;
}

QChar UserDecimalSeparator() {
    const QString& separator = AppState().DecimalSeparator;
    return separator.isEmpty() ? QChar(u'.') : separator.at(0);
}

} // namespace NumberFormatModule
