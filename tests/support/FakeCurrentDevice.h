#pragma once

#include "serial/SerialClass.h"
#include "serial/Zarnbus2Module.h"
#include "support/FakeZarnbusModule.h"
#include "support/ScriptedSerialPort.h"
#include "util/MonotonicClock.h"

#include <memory>

// A SerialClass on station 1, wired through a scripted port to a FakeZarnbusModule, on a manual
// clock: the driver under test, or the program's current device for code that reads it
// (formatting, fields, pages). Set `module.values` before makeCurrent(); the destructor releases
// the current device when it is still this one, so no driver outlives its link.
class FakeCurrentDevice {
public:
    FakeCurrentDevice();
    ~FakeCurrentDevice();
    FakeCurrentDevice(const FakeCurrentDevice&) = delete;
    FakeCurrentDevice& operator=(const FakeCurrentDevice&) = delete;

    // Connects `driver` through CurrentDevice::Connect (which reads VERS).
    void makeCurrent();
    // Read requests the module has seen for a parameter.
    int readCount(quint8 parameter) const { return int(module.receivedReads.count(parameter)); }

    ManualClock clock;
    ScriptedSerialPort port{&clock};
    Zarnbus2Link link{port, clock};
    FakeZarnbusModule module{1};
    bool moduleAnswers = true;
    // A test may put a SerialClass subclass built on `link` here before makeCurrent().
    std::shared_ptr<SerialClass> driver;

private:
    ZEX* m_madeCurrent = nullptr;
};
