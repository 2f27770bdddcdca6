#pragma once

#include <QString>
#include <QtGlobal>
#include <variant>

// The dynamically typed value that crosses the device interface. Its kinds stay distinguishable:
// an empty value means "no value" (an unsupported read), and a single float is not a double.
class DeviceValue {
public:
    enum class Kind { Empty, Boolean, Whole, Single, Double, Text };

    DeviceValue() = default;
    DeviceValue(bool value)
        : m_value(value) {}
    DeviceValue(int value)
        : m_value(qint64(value)) {}
    DeviceValue(qint64 value)
        : m_value(value) {}
    DeviceValue(float value)
        : m_value(value) {}
    DeviceValue(double value)
        : m_value(value) {}
    DeviceValue(const QString& value)
        : m_value(value) {}
    DeviceValue(const char* value)
        : m_value(QString::fromUtf8(value)) {}

    Kind kind() const { return Kind(m_value.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isNumber() const;
    bool isText() const { return kind() == Kind::Text; }

    // Conversions follow the ordinary rules: empty is 0 (or "" as text), true is 1, text is read
    // as a plain decimal number with "." or "," as separator. Text that holds no number, and
    // numbers that do not fit the target, raise ConversionError.
    double toDouble() const;
    float toSingle() const;
    qint64 toWhole() const; // rounded half to even, as the device's own conversions do
    qint16 toInt16() const;
    bool toBool() const;
    // Numbers become text with "." and at most 7 (single) or 15 (double) significant digits.
    QString toText() const;

    bool operator==(const DeviceValue& other) const = default;

private:
    std::variant<std::monostate, bool, qint64, float, double, QString> m_value;
};

// Debug/test output: the kind and the value, e.g. Single(12.5).
QString describe(const DeviceValue& value);
