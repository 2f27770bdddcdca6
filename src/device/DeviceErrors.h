#pragma once

#include <QString>
#include <stdexcept>

// Programming faults at the device interface. Link failures never arrive this way: they are the
// driver's ErrorState. These are raised to the caller, which decides how to show them.
class DeviceError : public std::runtime_error {
public:
    explicit DeviceError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// A by-name access that matches no member, or a member used the wrong way (reading a write-only
// member, writing a read-only one).
class UnknownMemberError : public DeviceError {
public:
    UnknownMemberError(const QString& memberName, const QString& message);
    QString memberName() const { return m_memberName; }

private:
    QString m_memberName;
};

// A value that cannot become what the member needs (text that is no number, a number too large
// for a single float, a serial number outside 32 bits).
class ConversionError : public DeviceError {
public:
    using DeviceError::DeviceError;
};
