#include "support/ScriptedZex.h"

#include "device/DeviceErrors.h"
#include "device/ZexCatalogue.h"

bool ScriptedZex::failsNow(const QString& name) {
    if (refusingNames.contains(name)) {
        throw ConversionError(QStringLiteral("%1 cannot take this value").arg(name));
    }
    const bool fails = failingNames.contains(name);
    if (pendingErrors) {
        m_error = m_error || fails;
    } else {
        m_error = fails;
    }
    return fails;
}

DeviceValue ScriptedZex::read(const QString& name) {
    calls.append(QStringLiteral("get ") + name);
    if (failsNow(name)) {
        return {};
    }
    return values.value(name);
}

void ScriptedZex::write(const QString& name, const DeviceValue& value) {
    calls.append(QStringLiteral("set ") + name);
    if (failsNow(name)) {
        return;
    }
    values[name] = value;
    writes.append({name, value});
}

void ScriptedZex::call(const QString& name) {
    calls.append(QStringLiteral("call ") + name);
    failsNow(name);
}

DeviceValue ScriptedZex::GetByName(const QString& name) {
    return ZexCatalogue::GetByName(*this, name);
}

DeviceValue ScriptedZex::LetByName(const QString& name, const DeviceValue& value) {
    return ZexCatalogue::LetByName(*this, name, value);
}

DeviceValue ScriptedZex::MethodByName(const QString& name) {
    return ZexCatalogue::MethodByName(*this, name);
}
