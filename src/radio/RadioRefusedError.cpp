#include "radio/RadioRefusedError.h"

RadioRefusedError::RadioRefusedError(const QString& operation, const QString& reason)
    : DeviceError(QStringLiteral("The radio link refused %1: %2").arg(operation, reason))
    , m_operation(operation)
    , m_reason(reason) {}
