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
    const std::unique_ptr<RadioSimulation> radio =
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
    if (!server.start(&error) || !radio->start(&error)) {
        err << "zex-sim: " << error << Qt::endl;
        return 1;
    }

    // Offered as a COM port so the tool finds it like any other; the link goes when we do.
    const QString device = server.devicePath();
    const int port =
        options->portNumber > 0
            ? (COMDetectModule::OfferDeviceAsPort(options->portNumber, device, &error)
                   ? options->portNumber
                   : 0)
            : COMDetectModule::OfferDeviceOnFreePort(device, COMDetectModule::FirstSimulatorPort,
                                                     COMDetectModule::LastSimulatorPort, &error);
    if (port == 0) {
        err << "zex-sim: " << error << Qt::endl;
        server.stop();
        return 1;
    }
    out << "ready COM" << port << ' ' << device << Qt::endl;
    out << server.withBus([](SimulatedBus& b) { return SimConsole::StatusText(b); })
        << radio->readyText() << Qt::flush;

    ProcessConsole console;
    QObject::connect(&console, &ProcessConsole::lineRead, &app, [&](const QString& line) {
        if (const auto radioResult = radio->execute(line)) {
            (radioResult->failed ? err : out) << radioResult->output << Qt::flush;
            return;
        }
        const SimConsole::Result result =
            server.withBus([&](SimulatedBus& b) { return SimConsole::Execute(b, line); });
        (result.failed ? err : out) << result.output << Qt::flush;
        if (result.quit) {
            app.quit();
        }
    });
    QObject::connect(&console, &ProcessConsole::stopRequested, &app, &QCoreApplication::quit);
    const int status = app.exec();
    server.stop();
    COMDetectModule::WithdrawPort(port, device);
    return status;
}
