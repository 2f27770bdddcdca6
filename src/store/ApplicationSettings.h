#pragma once

#include <QString>

class QSettings;
struct ApplicationState;

// Where the per-user settings live, and the one value kept in the platform's settings store.
namespace ApplicationSettings {

inline constexpr char FolderName[] = "ZEX Toolkit";
inline constexpr char ConfigFileName[] = "Config.ini";
inline constexpr char WakeIDDefault[] = "000000";

// The platform's folders that the two per-user folders go into.
QString PlatformConfigBase();    // Windows: the roaming application data; elsewhere ~/.config
QString PlatformDocumentsBase(); // the user's documents folder

// Fills ConfigFile ("<config base>/ZEX Toolkit/Config.ini") and UserDataFolder
// ("<documents>/ZEX Toolkit/", ending with "/") and creates both folders. The paths are set even
// when a folder cannot be created (start-up goes on; the first write then reports the failure);
// the result is false in that case.
bool SetUpUserFolders(ApplicationState& state, const QString& configBase,
                      const QString& documentsBase);
bool SetUpUserFolders(ApplicationState& state);

// "WakeID" of application "ZEXToolkit", section "Settings", in the given store or in the
// platform's per-user store.
QString ReadWakeID(QSettings& store);
QString ReadWakeID();
void WriteWakeID(QSettings& store, const QString& wakeId);
void WriteWakeID(const QString& wakeId);

} // namespace ApplicationSettings
