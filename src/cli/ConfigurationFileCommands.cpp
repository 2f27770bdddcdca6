#include "cli/ConfigurationFileCommands.h"

#include "cli/ZexCtlCommand.h"
#include "device/CurrentDevice.h"
#include "device/ZEX.h"
#include "store/ConfigurationCompareModule.h"
#include "store/ConfigurationFileModule.h"
#include "store/ConfigurationVerifyModule.h"
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

// A file the engine refused to restore or compare with: its report, and the exit code for it.
int PrintRefusedFile(ZexCtlSession& session, RestoreOutcome outcome, const QString& fileError) {
    RestoreResult refused;
    refused.outcome = outcome;
    refused.fileError = fileError;
    PrintReport(session, *RestoreReport(refused));
    return outcome == RestoreOutcome::InvalidFile ? ExitUsage : ExitLinkFailed;
}

// A file to restore or compare with: refused before the port is opened when it cannot be read or
// is no configuration file.
int CheckFileToRestore(ZexCtlSession& session, const char* synopsis) {
    if (session.arguments.size() != 1) {
        return WrongArgumentCount(session, synopsis);
    }
    const RestoreSet set = ReadRestoreSet(session.arguments.constFirst(), Options());
    switch (set.outcome) {
    case RestoreOutcome::Restored:
        return ExitSuccess;
    case RestoreOutcome::Unreadable:
        session.err << "zexctl: " << set.fileError << '\n';
        return ExitLinkFailed;
    case RestoreOutcome::InvalidFile:
        break;
    }
    return PrintRefusedFile(session, set.outcome, set.fileError);
}

int RestoreAndVerify(ZexCtlSession& session, const Options& options) {
    using namespace ConfigurationVerifyModule;
    const QString path = session.arguments.constFirst();
    const VerifyResult result = RestoreVerified(*session.device, path, options, session.linkLog);
    if (result.outcome != RestoreOutcome::Restored) {
        return PrintRefusedFile(session, result.outcome, result.fileError);
    }
    bool stopped = false;
    for (const Finding& finding : result.findings) {
        session.out << DescribeFinding(finding) << '\n';
        stopped = stopped || finding.kind == Finding::Kind::CommunicationFailed;
    }
    session.out << (stopped ? "Configuration partly restored from "
                            : "Configuration restored from ")
                << path << " (" << result.valuesWritten << " written, " << result.valuesVerified
                << " read back as written)\n";
    if (stopped) {
        session.err << "zexctl: restore not verified: the module stopped answering (see above).\n";
        return ExitLinkFailed;
    }
    if (!result.clean()) {
        session.err << "zexctl: restore not verified: " << result.findings.size()
                    << (result.findings.size() == 1 ? " value" : " values")
                    << " refused, not written or not read back as written (listed above).\n";
        return ExitLinkFailed;
    }
    return ExitSuccess;
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
    return CheckFileToRestore(session, "restore [--verify] FILE");
}

int Restore(ZexCtlSession& session) {
    const QString path = session.arguments.constFirst();
    const std::optional<float> firmware = FirmwareVersion(session);
    if (!firmware) {
        PrintLinkFailure(session);
        session.err << "zexctl: nothing was restored.\n";
        return ExitLinkFailed;
    }
    if (session.options.verify) {
        return RestoreAndVerify(session, OptionsFor(session, *firmware));
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

int CheckDiff(ZexCtlSession& session) {
    return CheckFileToRestore(session, "diff FILE");
}

int Diff(ZexCtlSession& session) {
    using namespace ConfigurationCompareModule;
    const QString path = session.arguments.constFirst();
    const std::optional<float> firmware = FirmwareVersion(session);
    if (!firmware) {
        PrintLinkFailure(session);
        return ExitLinkFailed;
    }
    Options options = OptionsFor(session, *firmware);
    options.progress = nullptr; // the list is the output; progress would only be in its way
    const CompareResult result = CompareZEX(*session.device, path, options);
    switch (result.outcome) {
    case CompareOutcome::Compared:
        break;
    case CompareOutcome::InvalidFile:
    case CompareOutcome::Unreadable:
        return PrintRefusedFile(session,
                                result.outcome == CompareOutcome::InvalidFile
                                    ? RestoreOutcome::InvalidFile
                                    : RestoreOutcome::Unreadable,
                                result.fileError);
    case CompareOutcome::LinkFailed:
        session.err << "zexctl: " << result.failedKey << " could not be read; the comparison "
                    << "stopped there.\n";
        PrintLinkFailure(session);
        return ExitLinkFailed;
    }
    for (const Difference& difference : result.differences) {
        session.out << DescribeDifference(difference) << '\n';
    }
    if (result.differences.isEmpty()) {
        session.out << "The module agrees with " << path << " (" << result.valuesCompared
                    << " values compared)\n";
        return ExitSuccess;
    }
    session.out << result.differences.size() << " of " << result.valuesCompared
                << " values differ from " << path << '\n';
    return ExitLinkFailed;
}

} // namespace ConfigurationFileCommands
