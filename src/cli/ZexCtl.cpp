#include "cli/ZexCtl.h"

#include "cli/RadioCommands.h"
#include "cli/ZexCtlPortChoice.h"
#include "cli/ZexCtlTrace.h"
#include "device/DeviceErrors.h"
#include "linklog/LinkLogTap.h"
#include "radio/RadioIdModule.h"
#include "radio/RadioWireModule.h"
#include "serial/COMDetectModule.h"
#include "serial/SerialClass.h"
#include "serial/SerialPortControl.h"
#include "serial/Zarnbus2Module.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

constexpr int HelpWidth = 79;
constexpr int HelpIndent = 24;

// Words of text filled into lines of HelpWidth, the first after `lead`, the rest indented.
QString wrapped(const QString& lead, const QString& text) {
    // A lead too long for its column gets the text on the lines below it.
    QString result = lead.size() < HelpIndent
                         ? lead.leftJustified(HelpIndent)
                         : lead + QLatin1Char('\n') + QString(HelpIndent, QLatin1Char(' '));
    int column = HelpIndent;
    bool lineStart = true;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!lineStart && column + 1 + word.size() > HelpWidth) {
            result += QLatin1Char('\n') + QString(HelpIndent, QLatin1Char(' '));
            column = HelpIndent;
            lineStart = true;
        }
        if (!lineStart) {
            result += QLatin1Char(' ');
            ++column;
        }
        result += word;
        column += int(word.size());
        lineStart = false;
    }
    return result + QLatin1Char('\n');
}

const ZexCtlCommand* findCommand(const QString& name) {
    for (const ZexCtlCommand& command : ZexCtlCommandTable()) {
        if (name == QLatin1String(command.name)) {
            return &command;
        }
    }
    return nullptr;
}

QString commandNames() {
    QStringList names;
    for (const ZexCtlCommand& command : ZexCtlCommandTable()) {
        names.append(QLatin1String(command.name));
    }
    return names.join(QStringLiteral(", "));
}

QString portsNote() {
#ifdef Q_OS_WIN
    return QString();
#else
    const QString folder = COMDetectModule::SystemPortRoots().linksFolder;
    return QStringLiteral("\nPorts on Linux: see \"How serial ports are numbered on Linux\" in the "
                          "README.\nAny device can be offered as COMn with a link in the folder\n"
                          "  %1\n  e.g.  ln -s /dev/ttyUSB0 \"%1/COM7\"\n")
        .arg(folder);
#endif
}

bool parseWhole(const QString& text, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok && QString::number(value) == text;
}

} // namespace

ZexCtl::ZexCtl(SerialPortControl& port, MonotonicClock& clock, QTextStream& out, QTextStream& err)
    : m_port(port)
    , m_clock(clock)
    , m_out(out)
    , m_err(err) {}

int ZexCtl::usageError(const QString& message) {
    m_err << "zexctl: " << message << '\n';
    m_err.flush();
    return ExitUsage;
}

int ZexCtl::parse(const QStringList& arguments, ZexCtlOptions& options, QStringList& words,
                  bool& helpWanted) {
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) ||
            argument == QLatin1String("-")) {
            words.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            helpWanted = true;
            continue;
        }
        if (!argument.startsWith(QLatin1String("--"))) {
            // A negative number is a value ("set PTARE -1"), not an option.
            words.append(argument);
            continue;
        }
        if (argument == QLatin1String("--trace") || argument == QLatin1String("--trace-bytes")) {
            options.trace = true;
            options.traceBytes = options.traceBytes || argument == QLatin1String("--trace-bytes");
            continue;
        }
        if (argument == QLatin1String("--verify")) {
            options.verify = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (name != QLatin1String("--port") && name != QLatin1String("--baud") &&
            name != QLatin1String("--station") && name != QLatin1String("--radio-id") &&
            name != QLatin1String("--radio-socket")) {
            return usageError(QStringLiteral("unknown option %1 (see zexctl --help).").arg(name));
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return usageError(QStringLiteral("%1 needs a value (see zexctl --help).").arg(name));
        }

        if (name == QLatin1String("--radio-id")) {
            const RadioIdModule::ParsedId id = RadioIdModule::ParseTypedId(value);
            if (!id.id) {
                return usageError(id.problem + QLatin1Char('.'));
            }
            options.radioId = value.trimmed();
        } else if (name == QLatin1String("--radio-socket")) {
            if (value.isEmpty()) {
                return usageError(
                    QStringLiteral("--radio-socket needs the simulator's socket name."));
            }
            options.radioSocket = value;
        } else if (name == QLatin1String("--port")) {
            if (value.isEmpty()) {
                return usageError(
                    QStringLiteral("--port needs a port, e.g. COM3 or /dev/ttyUSB0."));
            }
            if (!ZexCtlPorts::PortNumberOf(value) &&
                value.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) &&
                !value.contains(QLatin1Char('/')) && !QFileInfo::exists(value)) {
                return usageError(QStringLiteral("%1 is not a port: ports are COM1 to COM255, or a "
                                                 "device such as /dev/ttyUSB0.")
                                      .arg(value));
            }
            options.port = value;
        } else if (name == QLatin1String("--baud")) {
            int baud = 0;
            if (!parseWhole(value, baud) || (baud != 9600 && baud != 19200)) {
                return usageError(
                    QStringLiteral("baud rate %1 is not used on the bus: use 9600 or 19200.")
                        .arg(value));
            }
            options.baudRate = baud;
        } else {
            int station = 0;
            if (!parseWhole(value, station) || station < 0 || station > 254) {
                return usageError(
                    QStringLiteral("station %1 is not a station number: use 1 to 254 (0 "
                                   "addresses every module, with set and call).")
                        .arg(value));
            }
            options.station = station;
        }
    }
    return ExitSuccess;
}

int ZexCtl::run(const QStringList& arguments) {
    ZexCtlOptions options;
    QStringList words;
    bool helpWanted = false;
    if (const int outcome = parse(arguments, options, words, helpWanted); outcome != ExitSuccess) {
        return outcome;
    }
    if (helpWanted || (!words.isEmpty() && words.first() == QLatin1String("help"))) {
        m_out << helpText();
        m_out.flush();
        return ExitSuccess;
    }
    if (words.isEmpty()) {
        return usageError(QStringLiteral("no command given; commands: %1 (see zexctl --help).")
                              .arg(commandNames()));
    }
    const ZexCtlCommand* command = findCommand(words.first());
    if (!command) {
        return usageError(
            QStringLiteral("unknown command \"%1\"; commands: %2 (see zexctl --help).")
                .arg(words.first(), commandNames()));
    }
    if (options.station == 0 && (!command->needsModule || !command->allowsBroadcast)) {
        return usageError(QStringLiteral("station 0 addresses every module and gets no reply, so "
                                         "\"%1\" cannot use it: use a station from 1 to 254.")
                              .arg(QLatin1String(command->name)));
    }

    if (options.verify && QLatin1String(command->name) != QLatin1String("restore")) {
        return usageError(QStringLiteral("--verify belongs to restore (zexctl restore --verify "
                                         "FILE)."));
    }

    LinkLogTap linkLog;
    ZexCtlSession session{words.mid(1), options, m_out, m_err, nullptr, QString(), &linkLog};
    const LinkLogSubscription trace(options.trace ? &linkLog : nullptr,
                                    std::make_shared<ZexCtlTrace>(m_err, options.traceBytes));
    int outcome = command->check ? command->check(session) : int(ExitSuccess);
    if (outcome == ExitSuccess) {
        outcome = command->needsModule ? runWithModule(*command, session) : command->run(session);
    }
    m_out.flush();
    m_err.flush();
    return outcome;
}

int ZexCtl::runWithModule(const ZexCtlCommand& command, ZexCtlSession& session) {
    const ZexCtlOptions& options = session.options;
    if (!options.radioId.isEmpty()) {
        return RadioCommands::RunOverRadio(command.run, session, m_clock);
    }
    Zarnbus2Link link(m_port, m_clock);
    link.log = session.linkLog;
    const ZexCtlPortChoice choice = ZexCtlPorts::Choose(options.port);
    if (!choice.found()) {
        m_err << ZexCtlPorts::NoPortFound;
        return ExitLinkFailed;
    }
    session.portLabel = choice.label;
    const bool opened = ZexCtlPorts::Open(link, choice, options.baudRate);
    if (!opened) {
        m_err << "zexctl: " << link.openFailureText << '\n';
        return ExitLinkFailed;
    }

    int outcome = ExitSuccess;
    try {
        SerialClass device(link);
        device.LetByName(QStringLiteral("DriverStation"), DeviceValue(options.station));
        device.MethodByName(QStringLiteral("WAKE"));
        session.device = &device;
        outcome = command.run(session);
        session.device = nullptr;
    } catch (const DeviceError& failure) {
        session.device = nullptr;
        m_err << "zexctl: " << failure.message() << '\n';
        outcome = ExitUsage;
    } catch (const SerialPortError& failure) {
        session.device = nullptr;
        m_err << "zexctl: " << failure.message() << '\n';
        outcome = ExitLinkFailed;
    }

    // Every request has been answered (or was a broadcast, which waits for itself), so nothing is
    // left on its way out and the port can close at once instead of after ClosePort's second.
    try {
        link.portOpenResult = m_port.close();
    } catch (const SerialPortError&) {
        link.portOpenResult = 0;
    }

    if (outcome == ExitSuccess && options.station == 0) {
        m_err << "zexctl: sent to every module (station 0); broadcasts are not answered, so it is "
                 "not confirmed.\n";
    }
    return outcome;
}

QString ZexCtl::helpText() const {
    QString text;
    QTextStream help(&text);
    help << "zexctl - read and write a ZEX module on the serial bus (Zarnbus 2) or by radio "
            "(R58)\n\n"
         << "Usage:\n";
    for (const ZexCtlCommand& command : ZexCtlCommandTable()) {
        help << "  zexctl [OPTIONS] " << command.synopsis << '\n';
    }
    help << "  zexctl --help\n\nCommands:\n";
    for (const ZexCtlCommand& command : ZexCtlCommandTable()) {
        help << wrapped(QStringLiteral("  ") + QLatin1String(command.synopsis),
                        QLatin1String(command.summary));
    }
    help << "\nOptions:\n"
         << wrapped(QStringLiteral("  --port COMn|DEVICE"),
                    QStringLiteral("The port: a number as \"zexctl ports\" lists it (COM3, or "
                                   "just 3), or a device such as /dev/ttyUSB0 or "
                                   "/dev/serial/by-id/... Default: the lowest port listed."))
         << wrapped(QStringLiteral("  --baud 9600|19200"),
                    QStringLiteral("The bus's baud rate. Default: 19200."))
         << wrapped(QStringLiteral("  --station N"),
                    QStringLiteral("The module's station number, 1 to 254. Default: 1. Station 0 "
                                   "addresses every module at once (set and call only); "
                                   "broadcasts are not answered, so they are not confirmed."))
         << wrapped(QStringLiteral("  --radio-id HEX"),
                    QStringLiteral(
                        "Reach the module by radio through the R58 base station: "
                        "its radio ID, 1 to 6 hexadecimal digits (get, set, call, save, restore, "
                        "diff). --port, --baud and --station are then not used."))
         << wrapped(QStringLiteral("  --radio-socket NAME"),
                    QStringLiteral("The local socket of the simulated base station (zex-sim). "
                                   "Default: ") +
                        RadioWireModule::DefaultSocketName() + QStringLiteral(", this user's."))
         << wrapped(QStringLiteral("  --trace"),
                    QStringLiteral("Print every transaction on standard error as it ends: time, "
                                   "link and station (or radio ID), read, write or command, the "
                                   "member, the value, the reply (OK, ACK, NAK Received, Checksum "
                                   "Error, No Response ...), attempts and duration."))
         << wrapped(QStringLiteral("  --trace-bytes"),
                    QStringLiteral("As --trace, with the bytes sent and received in every "
                                   "attempt (serial bus)."))
         << wrapped(QStringLiteral("  --verify"),
                    QStringLiteral("With restore: read back every value written and list each "
                                   "that the module refused or does not give back as written."))
         << wrapped(QStringLiteral("  -h, --help"), QStringLiteral("Show this text."))
         << "\nOptions may also be written --port=COM3. Values that start with \"-\" (set PTARE\n"
            "-1) are values, not options; \"--\" ends the options.\n"
         << "\nNames are the module's members (VERS, GROSS, DP, SERIALNUMBER ...) in any letter\n"
            "case; an unknown name prints the names that fit the command. Each command that\n"
            "talks to the module opens the port, wakes the bus and addresses the station; a\n"
            "module that does not answer is tried three times (about 3 seconds).\n"
         << portsNote()
         << "\nExit status:\n"
            "  0  success\n"
            "  1  the port could not be opened, or the module did not answer (the reason is\n"
            "     printed, e.g. \"No Response\"); a configuration file could not be read or\n"
            "     written, or a save or restore met errors (they are listed); diff found\n"
            "     values that differ; restore --verify found values refused or not read back\n"
            "     as written\n"
            "  2  usage error: unknown command or option, bad option value, unknown member\n"
            "     name (the valid names are printed), value that is not a number, a file that\n"
            "     is not a configuration file\n"
         << "\nExamples:\n"
            "  zexctl ports\n"
            "  zexctl --port COM3 get VERS SERIALNUMBER\n"
            "  zexctl --port /dev/ttyUSB0 --baud 9600 --station 5 get GROSS NET\n"
            "  zexctl set DP 3\n"
            "  zexctl call DOKEYTAR\n"
            "  zexctl --port COM3 save \"ZEX 0001000001.zcf\"\n"
            "  zexctl --port COM4 restore \"ZEX 0001000001.zcf\"\n"
            "  zexctl --port COM4 diff \"ZEX 0001000001.zcf\"\n"
            "  zexctl --port COM4 restore --verify \"ZEX 0001000001.zcf\"\n"
            "  zexctl --trace get GROSS NET\n"
            "  zexctl --station 0 set DAMP 10\n"
            "  zexctl radio status\n"
            "  zexctl --radio-id 1A2B get GROSS\n";
    help.flush();
    return text;
}
