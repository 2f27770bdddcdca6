#include "cli/ConfigurationFileCommands.h"

#include "cli/ZexCtlCommand.h"
#include "device/CurrentDevice.h"
#include "device/ZEX.h"
#include "store/ConfigurationFileModule.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "util/ApplicationState.h"

#include <QTextStream>

namespace ConfigurationFileCommands {
namespace {

using namespace ConfigurationFileModule;

int WrongArgumentCount(ZexCtlSession& session, const char* synopsis) {
    session.err << "zexctl: usage: zexctl [OPTIONS] " << synopsis << " (see zexctl --help)\n";
    return ExitUsage;
}

// The dialog texts use CR LF; a terminal wants plain line feeds.
QString ForTerminal(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (lines.endsWith(u'\n')) {
        lines.chop(1);
    }
    return lines;
}

void PrintReport(ZexCtlSession& session, const Report& report) {
    session.err << "zexctl: " << report.title << ": " << ForTerminal(report.text) << '\n';
}

void PrintLinkFailure(ZexCtlSession& session) {
    session.err << "zexctl: Communications Failure: " << session.device->ErrorDescription();
    if (!session.portLabel.isEmpty()) {
        session.err << " (on " << session.portLabel << ')';
    }
    session.err << '\n';
}

// The firmware version the key set depends on: the one read at Connect when the session's module
// is the current device, else read now. Nothing when the module does not answer.
std::optional<float> FirmwareVersion(ZexCtlSession& session) {
    if (CurrentDevice::Get() == session.device) {
        return CurrentDevice::Connection().firmwareVersion;
    }
    const DeviceValue version = session.device->VERS();
    if (session.device->ErrorState()) {
        return std::nullopt;
    }
    return version.toSingle();
}

Options OptionsFor(ZexCtlSession& session, float firmwareVersion) {
    Options options;
    options.firmwareVersion = firmwareVersion;
    options.isRadio = session.device->IsR58();
    options.decimalSeparator = AppState().DecimalSeparator;
    QTextStream& out = session.out;
    options.progress = [&out](int percent) {
        out << percent << "%\n";
        out.flush();
    };
    return options;
}

} // namespace

int CheckSave(ZexCtlSession& session) {
    return session.arguments.size() == 1 ? int(ExitSuccess)
                                         : WrongArgumentCount(session, "save FILE");
}

int Save(ZexCtlSession& session) {
    const QString path = session.arguments.constFirst();
    const std::optional<float> firmware = FirmwareVersion(session);
    if (!firmware) {
        PrintLinkFailure(session);
        session.err << "zexctl: nothing was saved; " << path << " is unchanged.\n";
        return ExitLinkFailed;
    }
    const SaveResult result = SaveZEX(*session.device, path, OptionsFor(session, *firmware));
    if (const std::optional<Report> report = SaveReport(result)) {
        PrintReport(session, *report);
        if (session.device->ErrorState()) {
            PrintLinkFailure(session);
        }
        return ExitLinkFailed;
    }
    session.out << "Configuration saved to " << path << '\n';
    return ExitSuccess;
}

int CheckRestore(ZexCtlSession& session) {
    if (session.arguments.size() != 1) {
        return WrongArgumentCount(session, "restore FILE");
    }
    const QString path = session.arguments.constFirst();
    IniFile file;
    QString reason;
    switch (file.load(path, &reason)) {
    case IniFile::LoadStatus::Loaded:
        break;
    case IniFile::LoadStatus::Missing:
        session.err << "zexctl: File not found: " << path << '\n';
        return ExitLinkFailed;
    case IniFile::LoadStatus::Unreadable:
        session.err << "zexctl: " << reason << '\n';
        return ExitLinkFailed;
    }
    if (IniModule::ReadIniValue(file, QStringLiteral("Data"), QStringLiteral("Type"), QString()) !=
        QStringView(FileType)) {
        RestoreResult invalid;
        invalid.outcome = RestoreOutcome::InvalidFile;
        PrintReport(session, *RestoreReport(invalid));
        return ExitUsage;
    }
    return ExitSuccess;
}

int Restore(ZexCtlSession& session) {
    const QString path = session.arguments.constFirst();
    const std::optional<float> firmware = FirmwareVersion(session);
    if (!firmware) {
        PrintLinkFailure(session);
        session.err << "zexctl: nothing was restored.\n";
        return ExitLinkFailed;
    }
    const RestoreResult result = RestoreZEX(*session.device, path, OptionsFor(session, *firmware));
    if (const std::optional<Report> report = RestoreReport(result)) {
        PrintReport(session, *report);
        return result.outcome == RestoreOutcome::InvalidFile ? ExitUsage : ExitLinkFailed;
    }
    session.out << "Configuration restored from " << path << " (" << result.valuesWritten
                << " values)\n";
    return ExitSuccess;
}

} // namespace ConfigurationFileCommands
