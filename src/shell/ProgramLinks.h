#pragma once

#include <memory>

class LinkLogTap;
class MonotonicClock;
class QtSerialPortControl;
class RadioFactory;
class RadioSupport;
struct Zarnbus2Link;

// The program's links to the module for the whole run: the one serial port with its Zarnbus 2
// link, and the radio support. Everything here belongs to the device thread: it is created,
// used and destroyed only inside device jobs.
class ProgramLinks {
public:
    // Both links report every transaction to the tap (which costs nothing while no one listens).
    ProgramLinks(MonotonicClock& clock, std::unique_ptr<RadioFactory> radioFactory,
                 LinkLogTap& linkLog);
    ~ProgramLinks();
    ProgramLinks(const ProgramLinks&) = delete;
    ProgramLinks& operator=(const ProgramLinks&) = delete;

    Zarnbus2Link& serial() { return *m_serial; }
    RadioSupport& radio() { return *m_radio; }

private:
    std::unique_ptr<QtSerialPortControl> m_port;
    std::unique_ptr<Zarnbus2Link> m_serial;
    std::unique_ptr<RadioFactory> m_radioFactory;
    std::unique_ptr<RadioSupport> m_radio;
};
