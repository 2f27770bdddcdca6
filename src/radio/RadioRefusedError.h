#pragma once

#include "device/DeviceErrors.h"

// A radio support object that refuses a call (a write to a read-only value, a value it cannot
// carry, an object used after it was closed, a request the base station rejects as malformed).
// This is a programming fault, raised to the caller; radio failures are the link's error code.
class RadioRefusedError : public DeviceError {
public:
    RadioRefusedError(const QString& operation, const QString& reason);
    QString operation() const { return m_operation; }
    QString reason() const { return m_reason; }

private:
    QString m_operation;
    QString m_reason;
};
