#include "store/ConfigurationFileNames.h"

#include "store/IniFile.h"
#include "store/IniModule.h"

#include <QDir>
#include <QFileInfo>

namespace ConfigurationFileNames {
namespace {

const QString Files = QStringLiteral("Files");
const QString LastSerial = QStringLiteral("LastSerial");
const QString InitFile = QStringLiteral("InitFile");
const QString InitDir = QStringLiteral("InitDir");

// Folders are stored in the platform's own spelling (with backslashes on Windows), as Config.ini
// holds them. A stored folder that is gone (a removed stick, a renamed share) or that may have
// been cut (values are read back at most 254 characters long, so a longer path names another
// folder) gives way to the user data folder, where a dialog can start.
QString ReadFolder(const QString& configFile, const QString& userDataFolder) {
    const QString stored = IniModule::ReadIniValue(configFile, Files, InitDir, QString());
    const QString folder = QDir::fromNativeSeparators(stored);
    if (stored.isEmpty() || stored.size() >= IniModule::MaxValueLength ||
        !QFileInfo(folder).isDir()) {
        return userDataFolder;
    }
    return folder;
}

bool WriteFolder(const QString& configFile, const QString& folder) {
    return IniModule::WriteIniValue(configFile, Files, InitDir, QDir::toNativeSeparators(folder));
}

// Several keys of "Files" in one write of the settings file: each write replaces the file and
// flushes it to disk, which costs more than the rest of choosing a file. A key that cannot be
// stored is left out; the others are written all the same.
bool WriteFilesKeys(const QString& configFile, const QList<std::pair<QString, QString>>& keys) {
    IniFile file;
    if (file.load(configFile) == IniFile::LoadStatus::Unreadable) {
        return false;
    }
    bool all = true;
    for (const auto& [key, value] : keys) {
        all = file.setValue(Files, key, value) && all;
    }
    return file.save(configFile) && all;
}

QString NameForSerial(const QString& serialNumber) {
    return serialNumber.isEmpty() ? QStringLiteral("ZEX.zcf")
                                  : QStringLiteral("ZEX ") + serialNumber + QStringLiteral(".zcf");
}

} // namespace

QString FileChoice::path() const {
    if (folder.isEmpty()) {
        return fileName;
    }
    return folder.endsWith(u'/') ? QString(folder + fileName) : QString(folder + u'/' + fileName);
}

FileChoice FileChoice::fromPath(const QString& path) {
    const QFileInfo info(QDir::fromNativeSeparators(path));
    return FileChoice{info.path(), info.fileName()};
}

FileChoice ProposeSaveFile(const QString& configFile, const QString& serialNumber,
                           const QString& userDataFolder) {
    const QString lastSerial = IniModule::ReadIniValue(configFile, Files, LastSerial, QString());
    FileChoice proposal{ReadFolder(configFile, userDataFolder), QString()};
    WriteFolder(configFile, proposal.folder);
    // The name stored for the module saved last; its default follows the other proposals, so a
    // module without a serial number is offered "ZEX.zcf", not "ZEX .zcf".
    proposal.fileName =
        serialNumber == lastSerial
            ? IniModule::ReadIniValue(configFile, Files, InitFile, NameForSerial(serialNumber))
            : NameForSerial(serialNumber);
    return proposal;
}

bool RememberSaveFile(const QString& configFile, const QString& serialNumber,
                      const FileChoice& chosen) {
    return WriteFilesKeys(configFile, {{LastSerial, serialNumber},
                                       {InitFile, chosen.fileName},
                                       {InitDir, QDir::toNativeSeparators(chosen.folder)}});
}

FileChoice ProposeRestoreFile(const QString& configFile, const QString& userDataFolder) {
    return FileChoice{ReadFolder(configFile, userDataFolder),
                      IniModule::ReadIniValue(configFile, Files, InitFile, QString())};
}

bool RememberRestoreFile(const QString& configFile, const FileChoice& chosen) {
    return WriteFilesKeys(configFile, {{InitFile, chosen.fileName},
                                       {InitDir, QDir::toNativeSeparators(chosen.folder)}});
}

} // namespace ConfigurationFileNames
