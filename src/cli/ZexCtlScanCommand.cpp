#include "cli/ZexCtlScanCommand.h"

#include "cli/ZexCtlCommand.h"
#include "cli/ZexCtlPortChoice.h"
#include "serial/BusScanModule.h"
#include "serial/QtSerialPortControl.h"
#include "serial/Zarnbus2Module.h"
#include "util/MonotonicClock.h"

#include <QTextStream>

namespace ZexCtlScanCommand {
namespace {

constexpr int ProgressDots = 10;

// "1-254", "5-9" or "7"; false when it is neither.
bool parseStations(const QString& text, int& first, int& last) {
    const QStringList parts = text.split(QLatin1Char('-'));
    bool ok1 = false;
    bool ok2 = parts.size() == 1;
    first = parts.value(0).toInt(&ok1);
    last = parts.size() == 2 ? parts[1].toInt(&ok2) : first;
    return parts.size() <= 2 && ok1 && ok2 && first >= 1 && last <= 254 && first <= last;
}

BusScanModule::Request requestFor(const ZexCtlSession& session, QString& label) {
    BusScanModule::Request request;
    const ZexCtlPortChoice choice = ZexCtlPorts::Choose(session.options.port);
    request.portNumber = choice.portNumber;
    request.devicePath = choice.devicePath;
    label = choice.label;
    if (!session.arguments.isEmpty()) {
        parseStations(session.arguments.first(), request.firstStation, request.lastStation);
    }
    return request;
}

} // namespace

int CheckScan(ZexCtlSession& session) {
    int first = 0;
    int last = 0;
    if (session.arguments.size() > 1 ||
        (session.arguments.size() == 1 && !parseStations(session.arguments.first(), first, last))) {
        session.err << "zexctl: usage: zexctl [--port P] scan [FIRST-LAST], stations 1 to 254, "
                       "e.g. scan 1-32 (see zexctl --help)\n";
        return ExitUsage;
    }
    return ExitSuccess;
}

int Scan(ZexCtlSession& session) {
    QString label;
    const BusScanModule::Request request = requestFor(session, label);
    if (request.portNumber == 0 && request.devicePath.isEmpty()) {
        session.err << ZexCtlPorts::NoPortFound;
        return ExitLinkFailed;
    }
    const int stations = request.lastStation - request.firstStation + 1;
    int nextDot = 0;
    const BusScanModule::Progress progress = [&](int baudRate, int station) {
        const int done = station - request.firstStation;
        if (done == 0) {
            if (baudRate != request.baudRates.first()) {
                session.err << '\n';
            }
            session.err << "scanning " << label << " at " << baudRate << " baud, stations "
                        << request.firstStation << '-' << request.lastStation << ' ';
            nextDot = 0;
        }
        while (nextDot * stations < (done + 1) * ProgressDots && nextDot < ProgressDots) {
            session.err << '.';
            ++nextDot;
        }
        session.err.flush();
    };

    QtSerialPortControl port;
    Zarnbus2Link link(port, systemClock());
    link.log = session.linkLog;
    QString error;
    const QList<BusScanModule::FoundModule> found =
        BusScanModule::Scan(link, request, progress, &error);
    try {
        link.portOpenResult = port.close();
    } catch (const SerialPortError&) {
        link.portOpenResult = 0;
    }
    session.err << '\n';
    session.err.flush();
    for (const BusScanModule::FoundModule& module : found) {
        session.out << "station " << module.station << "  " << module.baudRate << " baud  firmware "
                    << QString::number(module.firmware, 'f', 2) << "  serial "
                    << (module.serialNumber.isEmpty() ? QStringLiteral("-") : module.serialNumber)
                    << '\n';
    }
    if (!error.isEmpty()) {
        session.err << "zexctl: " << error << '\n';
        return ExitLinkFailed;
    }
    if (found.isEmpty()) {
        session.err << "zexctl: no module answered on " << label << ".\n";
        return ExitLinkFailed;
    }
    session.err << found.size() << (found.size() == 1 ? " module" : " modules") << " found.\n";
    return ExitSuccess;
}

} // namespace ZexCtlScanCommand
