// Times Zarnbus 2 transactions of the real serial driver against the simulated bus on a
// pseudo-terminal, with the line's real timing, beside the physical limit of each; then the
// software's own cost per transaction with timing off. Prints figures; checks nothing.
#include "serial/ZarnbusNumbers.h"
#include "support/SimulatedLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <sys/resource.h>

namespace {

QTextStream out(stdout);

double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage); // both threads: the driver's and the simulator's
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
           usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}

struct Figure {
    double medianMs = 0;
    double cpuPerRunMs = 0;
    double wallPerRunMs = 0;
};

Figure measure(int runs, const std::function<void()>& run) {
    run(); // warm up
    QList<double> times;
    QElapsedTimer wall;
    const double cpuStart = cpuMs();
    wall.start();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    const double wallMs = wall.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - cpuStart;
    std::sort(times.begin(), times.end());
    return Figure{times[times.size() / 2], cpu / runs, wallMs / runs};
}

// Bytes on the wire × 10 bits / baud, plus the module's turnaround.
double limitMs(int requestBytes, int replyBytes, int baud, double turnaroundMs) {
    return (requestBytes + replyBytes) * 10.0 * 1000.0 / baud + turnaroundMs;
}

void row(const QString& what, const Figure& figure, double limit) {
    out << QStringLiteral("  %1 %2 ms  limit %3 ms  ratio %4   cpu %5 ms of %6 ms wall\n")
               .arg(what, -34)
               .arg(figure.medianMs, 8, 'f', 3)
               .arg(limit, 8, 'f', 3)
               .arg(figure.medianMs / limit, 5, 'f', 3)
               .arg(figure.cpuPerRunMs, 7, 'f', 3)
               .arg(figure.wallPerRunMs, 8, 'f', 3);
}

const QStringList kMeasurementPage = {
    "VALUE", "RMVV",   "UMVV",   "mvv",   "GROSS", "NET",  "SYSZERO", "POZ",  "PEAKG", "PEAKN",
    "TARE",  "OVRLod", "OVRRNG", "ALARM", "ZERO",  "DAMP", "THRESH",  "SENS", "PTARE", "OVERLOAD"};

const QStringList kConfigurationSave = {
    "VERS",   "SERIALNUMBER", "PTARE",   "RMVV",     "UMVV",     "MVV",    "GROSS",   "NET",
    "PEAKG",  "PEAKN",        "TARE",    "FGAIN",    "FOFFS",    "FGB3",   "FGB9",    "SYSZERO",
    "ALARM",  "TTYPE",        "DP",      "ZERO",     "DAMP",     "THRESH", "RESOL",   "OFFAUTO",
    "SENS",   "POZ",          "OVRLOD",  "OVRRNG",   "GAIN",     "OFFS",   "CMVVLO",  "CMVVHI",
    "CENGLO", "CENGHI",       "CALCNT",  "LINP",     "LINX1",    "LINX2",  "LINX3",   "LINX4",
    "STAT",   "LINX5",        "LINX6",   "LINK1",    "LINK2",    "LINK3",  "LINK4",   "LINK5",
    "LINK6",  "BAUD",         "REM1",    "REM2",     "REM3",     "REM4",   "REM5",    "SLAVE",
    "Status", "VALUE",        "NetMode", "HoldMode", "UnitMode", "BATTV",  "OVERLOAD"};

int transactionsOf(SimulatedLink& line, const QStringList& names) {
    line.takeFramesSeen();
    for (const QString& name : names) {
        line.device(1).GetByName(name);
    }
    return int(line.takeFramesSeen().size());
}

bool timedRun(int baud) {
    ModuleConfig config;
    config.baudRate = baud;
    SimulatedLink line({config}, true, baud);
    if (!line.isReady()) {
        out << "cannot start the simulator: " << line.failure() << "\n";
        return false;
    }
    const double turnaround = SimulatedBus::DefaultTurnaroundUs / 1000.0;
    SerialClass& device = line.device(1);
    const double readLimit = limitMs(5, 11, baud, turnaround);
    out << "\n" << baud << " baud, real line timing, turnaround " << turnaround << " ms:\n";
    row("read (GROSS)", measure(100, [&] { device.GROSS(); }), readLimit);
    row("write (ALARM)", measure(100, [&] { device.ALARM(DeviceValue(90)); }),
        limitMs(13, 2, baud, turnaround));
    row("command (DOKEYHLD)", measure(100, [&] { device.DOKEYHLD(); }),
        limitMs(5, 2, baud, turnaround));
    const int pageReads = transactionsOf(line, kMeasurementPage);
    row(QStringLiteral("Measurement-page refresh (%1 reads)").arg(pageReads),
        measure(20,
                [&] {
                    for (const QString& name : kMeasurementPage) {
                        device.GetByName(name);
                    }
                }),
        pageReads * readLimit);
    const int saveReads = transactionsOf(line, kConfigurationSave);
    row(QStringLiteral("configuration save (%1 reads)").arg(saveReads),
        measure(5,
                [&] {
                    for (const QString& name : kConfigurationSave) {
                        device.GetByName(name);
                    }
                }),
        saveReads * readLimit);
    if (device.ErrorState()) {
        out << "  link error during the run: " << device.ErrorDescription() << "\n";
    }
    return true;
}

void softwareCost() {
    SimulatedLink line({ModuleConfig()}, false, 19200);
    if (!line.isReady()) {
        return;
    }
    SerialClass& device = line.device(1);
    out << "\nTiming off (the software's own cost, driver and simulator together):\n";
    for (const auto& [what, run] : std::initializer_list<std::pair<QString, std::function<void()>>>{
             {"read", [&] { device.GROSS(); }},
             {"write", [&] { device.ALARM(DeviceValue(90)); }},
             {"command", [&] { device.DOKEYHLD(); }}}) {
        const Figure figure = measure(2000, run);
        out << QStringLiteral("  %1 %2 ms per transaction   cpu %3 ms of %4 ms wall\n")
                   .arg(what, -8)
                   .arg(figure.medianMs, 7, 'f', 4)
                   .arg(figure.cpuPerRunMs, 7, 'f', 4)
                   .arg(figure.wallPerRunMs, 7, 'f', 4);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    out << "Zarnbus 2 link against the simulated bus (medians; limit = bytes x 10 / baud + "
           "turnaround)\n";
    if (!timedRun(9600) || !timedRun(19200)) {
        return 1;
    }
    softwareCost();
    out.flush();
    return 0;
}
