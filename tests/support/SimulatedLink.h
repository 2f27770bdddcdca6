#pragma once

#include "serial/QtSerialPortControl.h"
#include "serial/SerialClass.h"
#include "serial/Zarnbus2Module.h"
#include "sim/SimulatorServer.h"
#include "util/MonotonicClock.h"

#include <QList>
#include <map>
#include <memory>

// A module of the simulated bus at a station, with its firmware, serial number and baud rate.
ModuleConfig ModuleAt(int station, double firmware = 4.1, quint32 serial = 1, int baud = 19200);

// A simulated bus running on a pseudo-terminal in this process, with the tool's end of the line
// open on it: the real Zarnbus 2 transaction and SerialClass over a real terminal device.
class SimulatedLink {
public:
    explicit SimulatedLink(const QList<ModuleConfig>& modules = {ModuleConfig()},
                           bool timing = false, int toolBaud = 19200);
    ~SimulatedLink();

    bool isReady() const { return m_ready; }
    QString failure() const { return m_failure; }

    SimulatorServer& server() { return *m_server; }
    QtSerialPortControl& port() { return m_port; }
    Zarnbus2Link& link() { return m_link; }
    // A driver for a station, made once and kept.
    SerialClass& device(int station = 1);
    // Reopens the tool's end at another baud rate.
    bool reopen(int toolBaud);

    template <typename Function>
    decltype(auto) withBus(Function&& function) {
        return m_server->withBus(std::forward<Function>(function));
    }
    // The frames the bus has seen since the last call.
    QList<QByteArray> takeFramesSeen();

private:
    SteadyClock m_clock;
    SteadyClock m_moduleClock;
    std::unique_ptr<SimulatorServer> m_server;
    QtSerialPortControl m_port;
    Zarnbus2Link m_link;
    std::map<int, std::unique_ptr<SerialClass>> m_devices;
    bool m_ready = false;
    QString m_failure;
};
