#pragma once

#include <QString>
#include <QStringList>

class SimulatedBus;

// The operator's commands while the simulator runs, one line at a time: loads and signals,
// keys, power, faults, line timing. "@N" in front of a command addresses the module at station
// N; without it, module commands act on every module and faults on the whole bus.
namespace SimConsole {

struct Result {
    QString output; // lines to show, each ending in a newline; "" for none
    bool failed = false;
    bool quit = false;
};

// The caller holds the bus for the duration of the call.
Result Execute(SimulatedBus& bus, const QString& line);
QString HelpText();
// One line per module: what it is and what it shows.
QString StatusText(SimulatedBus& bus);

} // namespace SimConsole
