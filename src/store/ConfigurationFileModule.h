#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class ZEX;

// Saving a connected module's configuration to a .zcf file and restoring it, onto the same
// module or a clone, through the device interface by name: the same for a serial and a radio
// driver, and independent of any window. The caller shows the progress and the report.
namespace ConfigurationFileModule {

inline constexpr char16_t SaveTitle[] = u"Save Configuration";
inline constexpr char16_t RestoreTitle[] = u"Restore Configuration";
inline constexpr char16_t InvalidFileTitle[] = u"Invalid File";
inline constexpr char16_t SaveProgressText[] =
    u"Now retrieving configuration data from module and writing to file...";
inline constexpr char16_t RestoreProgressText[] =
    u"Now retrieving configuration data from file and writing to module...";
inline constexpr char16_t SaveErrorsText[] =
    u"Error(s) occurred while reading the configuration data from the module!";
inline constexpr char16_t RestoreErrorsText[] =
    u"Error(s) occurred while restoring the configuration data to the module!";
inline constexpr char16_t InvalidFileText[] =
    u"The selected file is not an ZEX configuration file!";
inline constexpr char16_t RestoreCommsText[] =
    u"Communication errors occurred while restoring data!";
// "Type" in section "Data" of every configuration file.
inline constexpr char16_t FileType[] = u"ZEX";
// Error lists longer than this are cut and end with "...".
inline constexpr int MaxErrorTextLength = 1024;

// "Comms error while reading NAME from module!" with its CR LF.
QString CommsErrorLine(const QString& name);
// The text cut to MaxErrorTextLength characters followed by "..." when it is longer.
QString CutErrorText(const QString& errorText);
// "AppVersion": the program's major and minor version, "0.1".
QString AppVersion();
// "Saved": the date as "06 December 2026", with English month names whatever the locale.
QString SavedDate(const QDate& date);

using ProgressCallback = std::function<void(int percent)>;

struct Options {
    float firmwareVersion = 0.0f; // VERS as read at Connect
    bool isRadio = false;         // the driver's IsR58
    // The user's decimal separator; a value read with it is stored with "." all the same.
    QString decimalSeparator = QStringLiteral(".");
    QDate today;               // "Saved"; the current date when null
    ProgressCallback progress; // 10, 20, 40, 60, 80, 100; may be empty
};

struct SaveResult {
    // One CR LF line per value not stored: a link failure or a member that could not be read.
    QString errorText;
    QStringList failedKeys;
    // Set when the file could not be read or written: what happened, to which file, what to do.
    // The save stops at that point; the file keeps what it held at its last good write.
    QString fileError;
    bool fileWritten = false; // the file was written at least once (it holds the header)
    bool clean() const { return errorText.isEmpty() && fileError.isEmpty(); }
};

enum class RestoreOutcome {
    Restored,    // every value in the file was handed to the module (see errorText)
    InvalidFile, // "Type" is not "ZEX": nothing was written to the module
    Unreadable,  // the file could not be read (fileError): nothing was written to the module
};

struct RestoreResult {
    RestoreOutcome outcome = RestoreOutcome::Restored;
    // One CR LF line per value not written (not a number, refused by the member, or, with a link
    // error pending, not delivered), then the communication summary line.
    QString errorText;
    QStringList failedKeys;
    QString fileError;
    bool communicationFailed = false;
    int valuesWritten = 0;
    bool clean() const { return outcome == RestoreOutcome::Restored && errorText.isEmpty(); }
};

// Reads every value of the module in the fixed order into the file at path. An error state
// already pending, or arising, is checked before and after each read: such a value is listed and
// not stored. The five sections a save owns are replaced whole once the first value is stored;
// other sections of an existing file stay. The file is written atomically after the header and
// at each progress step, so an interrupted save leaves a whole file with what was read so far.
SaveResult SaveZEX(ZEX& device, const QString& path, const Options& options);

// Reads the whole file first; a file that cannot be read or whose "Type" is not "ZEX" is
// refused before the module is touched. Then writes the values in the fixed order by name,
// skipping missing keys and the save's own no-value markers ("*NULL*", "", "Not supported!"),
// listing (and never writing) any other value that is not a finite number a single float can
// hold, and going on after a failure. A pending link error is reset at the end.
RestoreResult RestoreZEX(ZEX& device, const QString& path, const Options& options);

// One step of a restore of a particular file: a value to write, or (key empty) the progress
// reached at that point.
struct RestoreItem {
    QString key;
    QString text;    // as the file holds it
    QString problem; // why the text cannot be written ("is not a number"); "" when it can
    int progress = 0;
    bool isProgress() const { return key.isEmpty(); }
};

struct RestoreSet {
    RestoreOutcome outcome = RestoreOutcome::Restored; // InvalidFile, Unreadable: no items
    QString fileError;
    QList<RestoreItem> items;
};

// What RestoreZEX would write from this file, in its order, with its progress steps: the keys of
// the restore order that the file holds a value for, without the no-value markers. For
// procedures that compare a module with a file or check a restore, so they judge the same set.
RestoreSet ReadRestoreSet(const QString& path, const Options& options);

// What to show the user after an operation, or nothing for a clean run.
struct Report {
    QString title;
    QString text;
    bool isError = true;
};
std::optional<Report> SaveReport(const SaveResult& result);
std::optional<Report> RestoreReport(const RestoreResult& result);

} // namespace ConfigurationFileModule
