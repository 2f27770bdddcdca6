#include "cli/ZexCtlDeviceCommands.h"

#include "cli/ZexCtlCommand.h"
#include "device/DeviceErrors.h"
#include "device/DeviceValue.h"
#include "device/ZEX.h"
#include "device/ZexCatalogue.h"
#include "serial/COMDetectModule.h"

#include <QTextStream>

namespace ZexCtlDeviceCommands {
namespace {

enum class Use { Read, Write, Call };

QStringList namesFor(Use use) {
    QStringList names;
    for (const QString& name : ZexCatalogue::MemberNames()) {
        const bool fits = use == Use::Read    ? ZexCatalogue::IsReadable(name)
                          : use == Use::Write ? ZexCatalogue::IsWritable(name)
                                              : ZexCatalogue::IsOperation(name);
        if (fits) {
            names.append(name);
        }
    }
    return names;
}

// How a member can be used instead, for the error when it was used the wrong way.
QString otherUses(const QString& name) {
    QStringList uses;
    if (ZexCatalogue::IsReadable(name)) {
        uses.append(QStringLiteral("get %1").arg(name));
    }
    if (ZexCatalogue::IsWritable(name)) {
        uses.append(QStringLiteral("set %1 VALUE").arg(name));
    }
    if (ZexCatalogue::IsOperation(name)) {
        uses.append(QStringLiteral("call %1").arg(name));
    }
    return uses.isEmpty() ? QStringLiteral("it is not used on its own")
                          : QStringLiteral("use %1").arg(uses.join(QStringLiteral(" or ")));
}

// Unknown names and names used the wrong way end the command before the port is opened.
int checkMembers(ZexCtlSession& session, const QStringList& names, Use use) {
    static const char* const verbs[] = {"read", "written", "called"};
    static const char* const lists[] = {"Members that can be read", "Members that can be set",
                                        "Operations"};
    const int index = int(use);
    for (const QString& name : names) {
        QString problem;
        try {
            const QString member = ZexCatalogue::CanonicalName(name);
            const bool fits = use == Use::Read    ? ZexCatalogue::IsReadable(member)
                              : use == Use::Write ? ZexCatalogue::IsWritable(member)
                                                  : ZexCatalogue::IsOperation(member);
            if (fits) {
                continue;
            }
            problem = QStringLiteral("zexctl: %1 cannot be %2; %3.")
                          .arg(member, QLatin1String(verbs[index]), otherUses(member));
        } catch (const UnknownMemberError&) {
            problem = QStringLiteral("zexctl: unknown member \"%1\".").arg(name);
        }
        session.err << problem << '\n'
                    << lists[index] << ": " << namesFor(use).join(QLatin1Char(' ')) << '\n';
        return ExitUsage;
    }
    return ExitSuccess;
}

int wrongArgumentCount(ZexCtlSession& session, const char* synopsis) {
    session.err << "zexctl: usage: zexctl [OPTIONS] " << synopsis << " (see zexctl --help)\n";
    return ExitUsage;
}

// After each member: a link that gave up reports it and ends the command with ExitLinkFailed.
int linkOutcome(ZexCtlSession& session) {
    if (!session.device->ErrorState()) {
        return ExitSuccess;
    }
    session.err << "zexctl: Communications Failure: " << session.device->ErrorDescription();
    if (session.options.radioId.isEmpty()) {
        session.err << " (station " << session.options.station << " on " << session.portLabel
                    << ")\n";
    } else {
        session.err << " (" << session.portLabel << ")\n";
    }
    return ExitLinkFailed;
}

} // namespace

int CheckPorts(ZexCtlSession& session) {
    return session.arguments.isEmpty() ? ExitSuccess : wrongArgumentCount(session, "ports");
}

int Ports(ZexCtlSession& session) {
    const QList<COMDetectModule::PortEntry> ports = COMDetectModule::ListPorts();
    if (ports.isEmpty()) {
        session.err << "zexctl: no serial ports found.\n";
    }
    for (const COMDetectModule::PortEntry& port : ports) {
        session.out << QStringLiteral("%1  %2")
                           .arg(COMDetectModule::PortName(port.number), -6)
                           .arg(port.devicePath)
                    << '\n';
    }
    return ExitSuccess;
}

int CheckGet(ZexCtlSession& session) {
    if (session.arguments.isEmpty()) {
        return wrongArgumentCount(session, "get NAME...");
    }
    return checkMembers(session, session.arguments, Use::Read);
}

int Get(ZexCtlSession& session) {
    for (const QString& name : session.arguments) {
        const DeviceValue value = session.device->GetByName(name);
        if (const int outcome = linkOutcome(session); outcome != ExitSuccess) {
            return outcome;
        }
        session.out << ZexCatalogue::CanonicalName(name) << '=' << value.toText() << '\n';
        session.out.flush();
    }
    return ExitSuccess;
}

int CheckSet(ZexCtlSession& session) {
    if (session.arguments.size() != 2) {
        return wrongArgumentCount(session, "set NAME VALUE");
    }
    if (const int outcome = checkMembers(session, {session.arguments[0]}, Use::Write);
        outcome != ExitSuccess) {
        return outcome;
    }
    const QString member = ZexCatalogue::CanonicalName(session.arguments[0]);
    // These press a key depending on the status they read first, and a broadcast reads nothing.
    if (session.options.station == 0 &&
        QStringList{QStringLiteral("NetMode"), QStringLiteral("HoldMode"),
                    QStringLiteral("UnitMode")}
            .contains(member)) {
        session.err << QStringLiteral("zexctl: %1 is set by reading the module's status first, "
                                      "which station 0 (no reply) cannot do: use a station from "
                                      "1 to 254.")
                           .arg(member)
                    << '\n';
        return ExitUsage;
    }
    try {
        // Every writable member takes a number or a boolean; anything else is refused here,
        // before the bus is touched.
        DeviceValue(session.arguments[1]).toBool();
    } catch (const ConversionError&) {
        session.err << QStringLiteral("zexctl: cannot set %1 to \"%2\": not a number (use \".\" "
                                      "as decimal separator) or True/False.")
                           .arg(member, session.arguments[1])
                    << '\n';
        return ExitUsage;
    }
    return ExitSuccess;
}

int Set(ZexCtlSession& session) {
    session.device->LetByName(session.arguments[0], DeviceValue(session.arguments[1]));
    return linkOutcome(session);
}

int CheckCall(ZexCtlSession& session) {
    if (session.arguments.size() != 1) {
        return wrongArgumentCount(session, "call OPERATION");
    }
    return checkMembers(session, session.arguments, Use::Call);
}

int Call(ZexCtlSession& session) {
    session.device->MethodByName(session.arguments[0]);
    return linkOutcome(session);
}

} // namespace ZexCtlDeviceCommands
