#include "store/ApplicationSettings.h"

#include "util/ApplicationState.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

constexpr char SettingsApplication[] = "ZEXToolkit";
constexpr char WakeIDKey[] = "Settings/WakeID";

QString WithSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

namespace ApplicationSettings {

QString PlatformConfigBase() {
#ifdef Q_OS_WIN
    // Config.ini belongs in the roaming application-data folder, so it follows the user between
    // machines; Qt's config location on Windows is the local one.
    const QString roaming = qEnvironmentVariable("APPDATA");
    if (!roaming.isEmpty()) {
        return QDir::fromNativeSeparators(roaming);
    }
#endif
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QDir::homePath() : config;
}

QString PlatformDocumentsBase() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

bool SetUpUserFolders(ApplicationState& state, const QString& configBase,
                      const QString& documentsBase) {
    const QString configFolder = WithSlash(configBase) + QLatin1String(FolderName);
    state.ConfigFile = configFolder + u'/' + QLatin1String(ConfigFileName);
    state.UserDataFolder = WithSlash(WithSlash(documentsBase) + QLatin1String(FolderName));
    const bool configMade = QDir().mkpath(configFolder);
    const bool dataMade = QDir().mkpath(state.UserDataFolder);
    return configMade && dataMade;
}

bool SetUpUserFolders(ApplicationState& state) {
    return SetUpUserFolders(state, PlatformConfigBase(), PlatformDocumentsBase());
}

QString ReadWakeID(QSettings& store) {
    return store.value(QLatin1String(WakeIDKey), QLatin1String(WakeIDDefault)).toString();
}

QString ReadWakeID() {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope,
                    QLatin1String(SettingsApplication), QLatin1String(SettingsApplication));
    return ReadWakeID(store);
}

void WriteWakeID(QSettings& store, const QString& wakeId) {
    store.setValue(QLatin1String(WakeIDKey), wakeId);
    store.sync();
}

void WriteWakeID(const QString& wakeId) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope,
                    QLatin1String(SettingsApplication), QLatin1String(SettingsApplication));
    WriteWakeID(store, wakeId);
}

} // namespace ApplicationSettings
