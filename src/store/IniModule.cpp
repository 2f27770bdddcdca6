#include "store/IniModule.h"

#include "store/IniFile.h"

namespace IniModule {

QString ReadIniValue(const QString& filePath, const QString& section, const QString& key,
                     const QString& defaultValue) {
    IniFile file;
    if (file.load(filePath) != IniFile::LoadStatus::Loaded) {
        return defaultValue;
    }
    return ReadIniValue(file, section, key, defaultValue);
}

QString ReadIniValue(const IniFile& file, const QString& section, const QString& key,
                     const QString& defaultValue) {
    const QString value = file.value(section, key).left(MaxValueLength);
    if (value.isEmpty()) {
        return defaultValue;
    }
    return value == QStringView(NullValue) ? QString() : value;
}

bool WriteIniValue(const QString& filePath, const QString& section, const QString& key,
                   const QString& value, QString* errorText) {
    IniFile file;
    if (file.load(filePath, errorText) == IniFile::LoadStatus::Unreadable) {
        return false;
    }
    return file.setValue(section, key, value, errorText) && file.save(filePath, errorText);
}

bool RemoveIniSection(const QString& filePath, const QString& section, QString* errorText) {
    IniFile file;
    switch (file.load(filePath, errorText)) {
    case IniFile::LoadStatus::Missing:
        return true;
    case IniFile::LoadStatus::Unreadable:
        return false;
    case IniFile::LoadStatus::Loaded:
        break;
    }
    return !file.removeSection(section) || file.save(filePath, errorText);
}

} // namespace IniModule
