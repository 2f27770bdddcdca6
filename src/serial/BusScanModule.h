#pragma once

#include <QList>
#include <QString>
#include <functional>

struct Zarnbus2Link;

// Finds the modules on a bus that nobody documented: every station at each baud rate is asked
// for its firmware version once, with a short timeout and no retries.
namespace BusScanModule {

struct FoundModule {
    int station = 0;
    int baudRate = 0;
    float firmware = 0.0f;
    QString serialNumber; // ten digits; "" below firmware 3.0, which has none
    bool operator==(const FoundModule&) const = default;
};

struct Request {
    int portNumber = 0; // COMn; or 0 to use devicePath
    QString devicePath;
    QList<int> baudRates = {9600, 19200};
    int firstStation = 1;
    int lastStation = 254;
    int timeoutMs = 50; // a module answers a read within a few ms, even at 9600 baud
};

// Called before each station is asked.
using Progress = std::function<void(int baudRate, int station)>;

// The modules that answered, in the order found. When the port cannot be opened or fails during
// the scan, returns what was found so far and the reason in *error.
QList<FoundModule> Scan(Zarnbus2Link& link, const Request& request, const Progress& progress,
                        QString* error);

} // namespace BusScanModule
