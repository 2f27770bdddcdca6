#pragma once

#include <QString>

class IniFile;

// One key of a profile (INI) file at a time: the application's Config.ini and the module
// configuration files. Every call reads the file afresh and every write replaces it whole and
// atomically, so a crash or a full disk never leaves half a file.
namespace IniModule {

// The stand-in for an empty value that must survive a round trip (an empty value reads back as
// the caller's default).
inline constexpr char16_t NullValue[] = u"*NULL*";
// Longer values are cut to this many characters on reading.
inline constexpr int MaxValueLength = 254;

// The key's value cut to 254 characters, "" for "*NULL*", and the default when the file, the
// section or the key is missing, the value is empty, or the file cannot be read.
QString ReadIniValue(const QString& filePath, const QString& section, const QString& key,
                     const QString& defaultValue);
// The same rules on a file already in memory, for callers that read many keys of one file.
QString ReadIniValue(const IniFile& file, const QString& section, const QString& key,
                     const QString& defaultValue);

// Writes the key, creating the file, the section or the key as needed. False, with the reason
// in errorText, when nothing was written: the file could not be read or written, or the name or
// value cannot be stored in a settings file.
bool WriteIniValue(const QString& filePath, const QString& section, const QString& key,
                   const QString& value, QString* errorText = nullptr);

// Removes every section of that name with its keys. True when the file is as asked afterwards
// (also when it had no such section or does not exist); false with errorText otherwise.
bool RemoveIniSection(const QString& filePath, const QString& section,
                      QString* errorText = nullptr);

} // namespace IniModule
