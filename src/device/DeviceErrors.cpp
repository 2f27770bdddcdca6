#include "device/DeviceErrors.h"

DeviceError::DeviceError(const QString& message)
    : std::runtime_error(message.toStdString()) {}

UnknownMemberError::UnknownMemberError(const QString& memberName, const QString& message)
    : DeviceError(message)
    , m_memberName(memberName) {}
