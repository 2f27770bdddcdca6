#include "store/ConfigurationFileModule.h"

#include "device/DeviceErrors.h"
#include "device/DeviceValue.h"
#include "device/ZEX.h"
#include "store/ConfigurationFileLayout.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "util/ZexVersion.h"

#include <QLocale>
#include <QRegularExpression>
#include <cfloat>
#include <cmath>

namespace ConfigurationFileModule {
namespace {

using ConfigurationFileLayout::Step;

constexpr char16_t CrLf[] = u"\r\n";
// What a restore reads for a key that is missing or empty.
constexpr char16_t MissingValue[] = u"*";
// The serial driver's SYSZERO on firmware that has none; saved as it reads.
constexpr char16_t NotSupportedValue[] = u"Not supported!";
// A garbage value is quoted in the error list only this far, so one line cannot fill the list.
constexpr int QuotedValueLength = 32;

void ReportProgress(const Options& options, int percent) {
    if (options.progress) {
        options.progress(percent);
    }
}

QString Quoted(const QString& value) {
    return u'"' +
           (value.size() > QuotedValueLength ? value.left(QuotedValueLength) + u"..." : value) +
           u'"';
}

// The file a save builds in memory: the existing file with the save's own sections dropped at
// the first value, written out whole at each commit.
class SaveFile {
public:
    SaveFile(const QString& path, SaveResult& result)
        : m_path(path)
        , m_result(result) {}

    bool load() {
        QString reason;
        if (m_file.load(m_path, &reason) == IniFile::LoadStatus::Unreadable) {
            m_result.fileError = reason;
            return false;
        }
        return true;
    }

    // False (with the reason listed) for a value a settings file cannot hold.
    bool put(const QString& section, const QString& key, const QString& value) {
        if (!m_started) {
            // Keys of another module or firmware must not survive under a fresh header.
            for (const QString& owned : ConfigurationFileLayout::OwnedSections()) {
                m_file.removeSection(owned);
            }
            m_started = true;
        }
        QString reason;
        if (!m_file.setValue(section, key, value, &reason)) {
            m_result.errorText += key + QStringLiteral(" could not be stored: ") + reason + CrLf;
            m_result.failedKeys.append(key);
            return false;
        }
        m_dirty = true;
        return true;
    }

    // False when the file could not be written; the reason is in the result.
    bool commit() {
        if (!m_dirty) {
            return true;
        }
        m_dirty = false;
        QString reason;
        if (!m_file.save(m_path, &reason)) {
            m_result.fileError = reason;
            return false;
        }
        m_result.fileWritten = true;
        return true;
    }

private:
    QString m_path;
    SaveResult& m_result;
    IniFile m_file;
    bool m_started = false;
    bool m_dirty = false;
};

class Saver {
public:
    Saver(ZEX& device, const Options& options, SaveFile& file, SaveResult& result)
        : m_device(device)
        , m_options(options)
        , m_file(file)
        , m_result(result) {}

    // A value prepared here (the header): stored unless a link error is pending.
    void saveValue(const QString& section, const QString& key, const QString& value) {
        if (m_device.ErrorState()) {
            listCommsError(key);
            return;
        }
        m_file.put(section, key, value);
    }

    // A value read from the module by name. The error state is asked before the read, and again
    // after it: a read that failed returns the last value known, which must not pass as good.
    void saveValuePara(const QString& section, const QString& key) {
        if (m_device.ErrorState()) {
            listCommsError(key);
            return;
        }
        DeviceValue value;
        try {
            value = m_device.GetByName(key);
        } catch (const DeviceError& failure) {
            m_result.errorText += key + QStringLiteral(" could not be read from the module: ") +
                                  failure.message() + CrLf;
            m_result.failedKeys.append(key);
            return;
        }
        if (m_device.ErrorState()) {
            listCommsError(key);
            return;
        }
        m_file.put(section, key, fileText(value));
    }

private:
    QString fileText(const DeviceValue& value) const {
        QString text = value.toText();
        if (text.isEmpty()) {
            return QString::fromUtf16(IniModule::NullValue);
        }
        const QString& separator = m_options.decimalSeparator;
        if (!separator.isEmpty() && separator != u".") {
            text.replace(separator, QStringLiteral("."));
        }
        return text;
    }

    void listCommsError(const QString& key) {
        m_result.errorText += CommsErrorLine(key);
        m_result.failedKeys.append(key);
    }

    ZEX& m_device;
    const Options& m_options;
    SaveFile& m_file;
    SaveResult& m_result;
};

// A restorable value is a plain decimal number (the save writes "." and may write an exponent,
// "1E+07") that a single float, the form parameters travel in, can hold.
enum class FileNumber { Good, NotANumber, OutOfRange };

// A plain decimal number that a single float can hold; the module takes nothing else.
FileNumber CheckFileNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!number.match(text).hasMatch()) {
        return FileNumber::NotANumber;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) && std::fabs(value) <= double(FLT_MAX)
               ? FileNumber::Good
               : FileNumber::OutOfRange;
}

bool IsNoValueMarker(const QString& text) {
    // ReadIniValue has already turned "*NULL*" into "".
    return text.isEmpty() || text == QStringView(MissingValue) ||
           text == QStringView(NotSupportedValue);
}

QString ReadForRestore(const IniFile& file, const Step& step) {
    for (const QString& section : step.sections) {
        const QString text =
            IniModule::ReadIniValue(file, section, step.key, QString::fromUtf16(MissingValue));
        if (text != QStringView(MissingValue)) {
            return text;
        }
    }
    return QString::fromUtf16(MissingValue);
}

// Why a file's text cannot be restored, "" when it can.
QString FileNumberProblem(const QString& text) {
    switch (CheckFileNumber(text)) {
    case FileNumber::Good:
        return QString();
    case FileNumber::OutOfRange:
        return QStringLiteral("is out of range");
    case FileNumber::NotANumber:
        break;
    }
    return QStringLiteral("is not a number");
}

// Loads a file to restore from and checks its type; false (with outcome and fileError set) when
// the module must not be touched.
bool LoadForRestore(const QString& path, IniFile& file, RestoreOutcome& outcome,
                    QString& fileError) {
    QString reason;
    switch (file.load(path, &reason)) {
    case IniFile::LoadStatus::Loaded:
        break;
    case IniFile::LoadStatus::Missing:
        outcome = RestoreOutcome::Unreadable;
        fileError = QStringLiteral("File not found: %1").arg(path);
        return false;
    case IniFile::LoadStatus::Unreadable:
        outcome = RestoreOutcome::Unreadable;
        fileError = reason;
        return false;
    }
    const QString type =
        IniModule::ReadIniValue(file, QString::fromUtf16(ConfigurationFileLayout::DataSection),
                                QStringLiteral("Type"), QString::fromUtf16(MissingValue));
    if (type != QStringView(FileType)) {
        outcome = RestoreOutcome::InvalidFile;
        return false;
    }
    return true;
}

void RestoreValue(ZEX& device, const Step& step, const QString& text, bool isRadio,
                  RestoreResult& result) {
    if (const QString problem = FileNumberProblem(text); !problem.isEmpty()) {
        result.errorText +=
            QStringLiteral("The value %1 of %2 in the file %3; %2 was not restored.")
                .arg(Quoted(text), step.key, problem) +
            CrLf;
        result.failedKeys.append(step.key);
        return;
    }
    try {
        device.LetByName(step.key, DeviceValue(text));
    } catch (const DeviceError& failure) {
        result.errorText +=
            QStringLiteral("%1 could not be restored: %2").arg(step.key, failure.message()) + CrLf;
        result.failedKeys.append(step.key);
        return;
    }
    // A radio link reports each call's outcome on its own and clears it with the next good call,
    // so a failure is caught here or not at all. On the serial bus it stays pending and is
    // summarised once at the end.
    if (isRadio && device.ErrorState()) {
        result.errorText +=
            QStringLiteral("Comms error while writing %1 to module!").arg(step.key) + CrLf;
        result.failedKeys.append(step.key);
        result.communicationFailed = true;
        return;
    }
    ++result.valuesWritten;
}

} // namespace

QString CommsErrorLine(const QString& name) {
    return QStringLiteral("Comms error while reading ") + name + QStringLiteral(" from module!") +
           CrLf;
}

QString CutErrorText(const QString& errorText) {
    if (errorText.size() <= MaxErrorTextLength) {
        return errorText;
    }
    return errorText.left(MaxErrorTextLength) + QStringLiteral("...");
}

QString AppVersion() {
    return QStringLiteral("%1.%2").arg(ZexVersion::Major).arg(ZexVersion::Minor);
}

QString SavedDate(const QDate& date) {
    return QLocale::c().toString(date, QStringLiteral("dd MMMM yyyy"));
}

SaveResult SaveZEX(ZEX& device, const QString& path, const Options& options) {
    SaveResult result;
    SaveFile file(path, result);
    // An existing file that cannot be read must not be written over with a part of itself.
    if (!file.load()) {
        return result;
    }
    ReportProgress(options, 10);

    Saver saver(device, options, file, result);
    const QString data = QString::fromUtf16(ConfigurationFileLayout::DataSection);
    const QDate today = options.today.isValid() ? options.today : QDate::currentDate();
    saver.saveValue(data, QStringLiteral("Type"), QString::fromUtf16(FileType));
    saver.saveValue(data, QStringLiteral("AppVersion"), AppVersion());
    saver.saveValue(data, QStringLiteral("Saved"), SavedDate(today));
    // Written at once, so a file that cannot be written shows before the module is read.
    if (!file.commit()) {
        return result;
    }

    for (const Step& step :
         ConfigurationFileLayout::SaveSteps(options.firmwareVersion, options.isRadio)) {
        if (!step.isProgress()) {
            saver.saveValuePara(step.sections.constFirst(), step.key);
            continue;
        }
        if (!file.commit()) {
            return result;
        }
        ReportProgress(options, step.progress);
    }
    return result;
}

RestoreResult RestoreZEX(ZEX& device, const QString& path, const Options& options) {
    RestoreResult result;
    IniFile file;
    if (!LoadForRestore(path, file, result.outcome, result.fileError)) {
        return result;
    }
    ReportProgress(options, 10);

    for (const Step& step :
         ConfigurationFileLayout::RestoreSteps(options.firmwareVersion, options.isRadio)) {
        if (step.isProgress()) {
            ReportProgress(options, step.progress);
            continue;
        }
        const QString text = ReadForRestore(file, step);
        if (!IsNoValueMarker(text)) {
            RestoreValue(device, step, text, options.isRadio, result);
        }
    }

    if (device.ErrorState()) {
        device.ResetError();
        result.communicationFailed = true;
    }
    if (result.communicationFailed) {
        result.errorText += QString::fromUtf16(RestoreCommsText) + CrLf;
    }
    return result;
}

RestoreSet ReadRestoreSet(const QString& path, const Options& options) {
    RestoreSet set;
    IniFile file;
    if (!LoadForRestore(path, file, set.outcome, set.fileError)) {
        return set;
    }
    for (const Step& step :
         ConfigurationFileLayout::RestoreSteps(options.firmwareVersion, options.isRadio)) {
        if (step.isProgress()) {
            set.items.append(RestoreItem{QString(), QString(), QString(), step.progress});
            continue;
        }
        const QString text = ReadForRestore(file, step);
        if (!IsNoValueMarker(text)) {
            set.items.append(RestoreItem{step.key, text, FileNumberProblem(text), 0});
        }
    }
    return set;
}

std::optional<Report> SaveReport(const SaveResult& result) {
    QStringList parts;
    if (!result.fileError.isEmpty()) {
        parts.append(result.fileError);
    }
    if (!result.errorText.isEmpty()) {
        parts.append(QString::fromUtf16(SaveErrorsText) + CrLf + CrLf +
                     CutErrorText(result.errorText));
    }
    if (parts.isEmpty()) {
        return std::nullopt;
    }
    return Report{QString::fromUtf16(SaveTitle), parts.join(QStringLiteral("\r\n\r\n")), true};
}

std::optional<Report> RestoreReport(const RestoreResult& result) {
    switch (result.outcome) {
    case RestoreOutcome::InvalidFile:
        return Report{QString::fromUtf16(InvalidFileTitle), QString::fromUtf16(InvalidFileText),
                      true};
    case RestoreOutcome::Unreadable:
        return Report{QString::fromUtf16(RestoreTitle), result.fileError, true};
    case RestoreOutcome::Restored:
        break;
    }
    if (result.errorText.isEmpty()) {
        return std::nullopt;
    }
    return Report{
        QString::fromUtf16(RestoreTitle),
        QString::fromUtf16(RestoreErrorsText) + CrLf + CrLf + CutErrorText(result.errorText), true};
}

} // namespace ConfigurationFileModule
