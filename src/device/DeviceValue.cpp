#include "device/DeviceValue.h"

#include "device/DeviceErrors.h"

#include <cfloat>
#include <cmath>

namespace {

double parsePlainDecimal(const QString& text) {
    QString number = text.trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        throw ConversionError(QStringLiteral("\"%1\" is not a number").arg(text));
    }
    return value;
}

// C's %g writes "1e+07"; the device's text form is "1E+07".
QString significantDigits(double value, int digits) {
    QString text = QString::asprintf("%.*g", digits, value);
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    if (text == QLatin1String("-0")) {
        text = QStringLiteral("0");
    }
    return text;
}

} // namespace

bool DeviceValue::isNumber() const {
    const Kind k = kind();
    return k == Kind::Whole || k == Kind::Single || k == Kind::Double;
}

double DeviceValue::toDouble() const {
    switch (kind()) {
    case Kind::Empty:
        return 0.0;
    case Kind::Boolean:
        return std::get<bool>(m_value) ? 1.0 : 0.0;
    case Kind::Whole:
        return double(std::get<qint64>(m_value));
    case Kind::Single:
        return double(std::get<float>(m_value));
    case Kind::Double:
        return std::get<double>(m_value);
    case Kind::Text:
        return parsePlainDecimal(std::get<QString>(m_value));
    }
    return 0.0;
}

float DeviceValue::toSingle() const {
    if (kind() == Kind::Single) {
        return std::get<float>(m_value);
    }
    const double value = toDouble();
    if (!std::isfinite(value) || std::fabs(value) > double(FLT_MAX)) {
        throw ConversionError(
            QStringLiteral("%1 does not fit a single-precision number").arg(toText()));
    }
    return float(value);
}

qint64 DeviceValue::toWhole() const {
    if (kind() == Kind::Whole) {
        return std::get<qint64>(m_value);
    }
    const double value = toDouble();
    const double rounded = std::nearbyint(value); // default rounding mode: half to even
    if (!std::isfinite(rounded) || rounded < -9.2e18 || rounded > 9.2e18) {
        throw ConversionError(QStringLiteral("%1 does not fit a whole number").arg(toText()));
    }
    return qint64(rounded);
}

qint16 DeviceValue::toInt16() const {
    const qint64 value = toWhole();
    if (value < -32768 || value > 32767) {
        throw ConversionError(QStringLiteral("%1 does not fit a 16-bit number").arg(value));
    }
    return qint16(value);
}

bool DeviceValue::toBool() const {
    switch (kind()) {
    case Kind::Boolean:
        return std::get<bool>(m_value);
    case Kind::Text: {
        const QString text = std::get<QString>(m_value).trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
            return true;
        }
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
            return false;
        }
        return parsePlainDecimal(text) != 0.0;
    }
    default:
        return toDouble() != 0.0;
    }
}

QString DeviceValue::toText() const {
    switch (kind()) {
    case Kind::Empty:
        return QString();
    case Kind::Boolean:
        return std::get<bool>(m_value) ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Whole:
        return QString::number(std::get<qint64>(m_value));
    case Kind::Single:
        return significantDigits(double(std::get<float>(m_value)), 7);
    case Kind::Double:
        return significantDigits(std::get<double>(m_value), 15);
    case Kind::Text:
        return std::get<QString>(m_value);
    }
    return QString();
}

QString describe(const DeviceValue& value) {
    switch (value.kind()) {
    case DeviceValue::Kind::Empty:
        return QStringLiteral("Empty");
    case DeviceValue::Kind::Boolean:
        return QStringLiteral("Boolean(%1)").arg(value.toText());
    case DeviceValue::Kind::Whole:
        return QStringLiteral("Whole(%1)").arg(value.toText());
    case DeviceValue::Kind::Single:
        return QStringLiteral("Single(%1)").arg(value.toText());
    case DeviceValue::Kind::Double:
        return QStringLiteral("Double(%1)").arg(value.toText());
    case DeviceValue::Kind::Text:
        return QStringLiteral("Text(\"%1\")").arg(value.toText());
    }
    return QString();
}
