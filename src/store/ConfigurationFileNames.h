#pragma once

#include <QString>

// The folder and file name offered by the configuration file dialogs, and what they remember in
// section "Files" of the settings file ("LastSerial", "InitFile", "InitDir"), so the save and
// restore page only has to show the dialogs.
namespace ConfigurationFileNames {

struct FileChoice {
    QString folder;   // "/" separators
    QString fileName; // without folder
    QString path() const;
    static FileChoice fromPath(const QString& path);
};

// The save dialog's start: the folder last used (default userDataFolder), written back at once so
// it is stored even when the dialog is cancelled, and the proposed name: the name last used when
// serialNumber is that of the module saved last, else "ZEX " + serialNumber + ".zcf", or
// "ZEX.zcf" when the serial number is unknown.
FileChoice ProposeSaveFile(const QString& configFile, const QString& serialNumber,
                           const QString& userDataFolder);
// After the save dialog: "LastSerial" = serialNumber, and the file the dialog ended with (the
// chosen one, or the proposal when cancelled). False when the settings file could not be written.
bool RememberSaveFile(const QString& configFile, const QString& serialNumber,
                      const FileChoice& chosen);

// The restore dialog's start: the folder and file name last used (defaults userDataFolder, "").
FileChoice ProposeRestoreFile(const QString& configFile, const QString& userDataFolder);
bool RememberRestoreFile(const QString& configFile, const FileChoice& chosen);

} // namespace ConfigurationFileNames
