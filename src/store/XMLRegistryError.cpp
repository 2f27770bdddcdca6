#include "store/XMLRegistryError.h"

XMLRegistryError::XMLRegistryError(int code, const QString& source, const QString& description)
    : std::runtime_error(
          QStringLiteral("%1 (%2 in %3)").arg(description).arg(code).arg(source).toStdString())
    , m_code(code)
    , m_source(source)
    , m_description(description) {}
