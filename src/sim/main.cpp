#include "serial/COMDetectModule.h"
#include "sim/ProcessConsole.h"
#include "sim/RadioSimulation.h"
#include "sim/SimConsole.h"
#include "sim/SimOptions.h"
#include "sim/SimulatorServer.h"
#include "util/MonotonicClock.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    QStringList arguments = app.arguments().mid(1);
    std::unique_ptr<RadioSimulation> radio =
        RadioSimulation::FromArguments(arguments, systemClock(), &error);
    const std::optional<SimOptions> options =
        radio ? SimOptions::Parse(arguments, &error) : std::nullopt;
    if (!options) {
        err << "zex-sim: " << error << Qt::endl;
        return 2;
    }
    if (options->helpWanted) {
        out << SimOptions::HelpText() << RadioSimulation::HelpText() << Qt::flush;
        return 0;
    }

    auto bus = std::make_unique<SimulatedBus>(
        systemClock(), options->seed.value_or(QRandomGenerator::global()->generate()));
    for (const ModuleConfig& config : options->modules) {
        bus->addModule(config);
    }
    bus->setTiming(options->timing);
    bus->setTurnaroundUs(options->turnaroundUs);
    SimulatorServer server(std::move(bus));
    if (!server.start(&error)) {
        err << "zex-sim: " << error << Qt::endl;
        return 1;
    }
    if (!radio->start(&error)) {
        if (radio->requested()) {
            err << "zex-sim: " << error << Qt::endl;
            return 1;
        }
        // Several simulators run side by side; only the first can be the base station.
        err << "zex-sim: serving the bus without a base station: " << error << Qt::endl;
        radio.reset();
    }

    // Offered as a COM port so the tool finds it like any other; the link goes when we do.
    const QString device = server.devicePath();
    const QString linkTarget = server.linkTarget();
    const int port =
        options->portNumber > 0
            ? (COMDetectModule::OfferDeviceAsPort(options->portNumber, linkTarget, &error)
                   ? options->portNumber
                   : 0)
            : COMDetectModule::OfferDeviceOnFreePort(linkTarget,
                                                     COMDetectModule::FirstSimulatorPort,
                                                     COMDetectModule::LastSimulatorPort, &error);
    if (port == 0) {
        err << "zex-sim: " << error << Qt::endl;
        server.stop();
        return 1;
    }
    out << "ready COM" << port << ' ' << device << Qt::endl;
    out << server.withBus([](SimulatedBus& b) { return SimConsole::StatusText(b); })
        << (radio ? radio->readyText() : QString()) << Qt::flush;

    ProcessConsole console;
    QObject::connect(&console, &ProcessConsole::lineRead, &app, [&](const QString& line) {
        if (const auto radioResult = radio ? radio->execute(line) : std::nullopt) {
            (radioResult->failed ? err : out) << radioResult->output << Qt::flush;
            return;
        }
        if (!radio &&
            line.simplified().section(QLatin1Char(' '), 0, 0).toLower() == QLatin1String("radio")) {
            err << "error: this simulator has no base station; another one serves the radio "
                   "socket\n"
                << Qt::flush;
            return;
        }
        const SimConsole::Result result =
            server.withBus([&](SimulatedBus& b) { return SimConsole::Execute(b, line); });
        (result.failed ? err : out) << result.output << Qt::flush;
        if (result.quit) {
            app.quit();
        }
    });
    QObject::connect(&console, &ProcessConsole::lineTooLong, &app, [&] {
        err << "error: a line longer than " << ProcessConsole::MaxLineBytes << " bytes was ignored"
            << Qt::endl;
    });
    QObject::connect(&console, &ProcessConsole::stopRequested, &app, &QCoreApplication::quit);
    const int status = app.exec();
    COMDetectModule::WithdrawPort(port, linkTarget);
    server.stop();
    return status;
}
