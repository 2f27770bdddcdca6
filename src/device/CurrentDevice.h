#pragma once

#include "device/Device.h"
#include "device/ZEX.h"

#include <QString>
#include <functional>
#include <memory>

class DeviceThread;

// The one connection the whole program works through: the driver every page, field and the
// main window use, with what was read from the module when it was connected.
struct DeviceConnection {
    std::shared_ptr<ZEX> device;        // may be empty
    float firmwareVersion = 0.0f;       // VERS, read at Connect
    QString serialNumberText;           // ten digits; "" below firmware 3.0
    std::shared_ptr<Device> descriptor; // the connected module's model, may be empty
};

namespace CurrentDevice {

DeviceConnection& Connection();
// The current driver, or nullptr when no module is connected.
ZEX* Get();

// Makes the driver current (releasing the previous one), then reads the firmware version and,
// from firmware 3.0 on, the serial number. The caller has set the station and woken the module.
// With beforeRetry, a failed version read is reset and read once more after beforeRetry has run
// (a module just woken may need a moment before it answers).
void Connect(std::shared_ptr<ZEX> device, const std::function<void()>& beforeRetry = {});
// Drops the driver and what was read from it.
void Release();

// Whether the current device has a link failure pending. Safe on the window thread: while the
// program's device thread runs, it answers from that thread's record after its last job instead
// of asking a driver that a job may be using.
bool ErrorPending();
void SetDeviceThread(const DeviceThread* thread);

// SERIALNUMBER as the connection keeps it: ten digits with leading zeros.
QString SerialNumberText(const DeviceValue& serialNumber);

} // namespace CurrentDevice
