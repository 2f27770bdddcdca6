// Radio link round trips: R58Class reads and writes through the local socket to a simulated base
// station in this process, and the start-up probe with and without a simulator.
#include "radio/R58Class.h"
#include "radio/RadioSupport.h"
#include "radio/RadioUi.h"
#include "radio/SocketRadioFactory.h"
#include "sim/BaseStationServer.h"
#include "sim/SimBaseStation.h"
#include "support/InMemoryRadioModule.h"
#include "support/RawLocalPeer.h"
#include "util/MonotonicClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

RadioSocketConnection::Options optionsFor(const QString& name) {
    RadioSocketConnection::Options options;
    options.socketName = name;
    return options;
}

void report(const char* what, std::vector<qint64> nanoseconds) {
    std::sort(nanoseconds.begin(), nanoseconds.end());
    qint64 total = 0;
    for (const qint64 ns : nanoseconds) {
        total += ns;
    }
    const double mean = double(total) / double(nanoseconds.size()) / 1000.0;
    std::printf("%-34s n=%-5zu mean %8.1f us  median %8.1f us  p99 %8.1f us\n", what,
                nanoseconds.size(), mean, double(nanoseconds[nanoseconds.size() / 2]) / 1000.0,
                double(nanoseconds[nanoseconds.size() * 99 / 100]) / 1000.0);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    constexpr int Rounds = 2000;

    SimBaseStation station(BaseStationConfig{true, 0x12AB, 3}, systemClock());
    auto module = std::make_unique<InMemoryRadioModule>(0x1A2B, 3);
    module->values = {{"GROSS", 12.5}, {"RESOL", 1}};
    station.addModule(std::move(module));
    const QString name = UniqueRadioSocketName("bench");
    BaseStationServer server(station, name);
    if (!server.startServing()) {
        std::fprintf(stderr, "cannot serve %s\n", qPrintable(name));
        return 1;
    }

    SocketRadioFactory factory(optionsFor(name), systemClock());
    RadioSupport radio(factory, systemClock());
    radio.SetRadioTarget(0x1A2B);
    R58Class driver(radio.link());
    driver.GROSS(); // connect and greet outside the measurement

    std::vector<qint64> reads, writes;
    QElapsedTimer timer;
    for (int i = 0; i < Rounds; ++i) {
        timer.start();
        driver.GROSS();
        reads.push_back(timer.nsecsElapsed());
        timer.start();
        driver.RESOL(DeviceValue(i % 3));
        writes.push_back(timer.nsecsElapsed());
    }
    report("GROSS read (one radio exchange)", reads);
    report("RESOL write (one radio exchange)", writes);

    std::vector<qint64> starts, absent;
    for (int i = 0; i < 50; ++i) {
        RadioSupport fresh(factory, systemClock());
        timer.start();
        fresh.StartRadio(RadioUi());
        starts.push_back(timer.nsecsElapsed());
        SocketRadioFactory nobody(optionsFor(UniqueRadioSocketName("none")), systemClock());
        RadioSupport lonely(nobody, systemClock());
        timer.start();
        lonely.StartRadio(RadioUi());
        absent.push_back(timer.nsecsElapsed());
    }
    report("StartRadio, simulator present", starts);
    report("StartRadio, no simulator", absent);
    return 0;
}
