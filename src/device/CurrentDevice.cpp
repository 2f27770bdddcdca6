#include "device/CurrentDevice.h"

#include "device/DeviceThread.h"

#include <atomic>
#include <cmath>

namespace {

// A module's serial number is a 32-bit unsigned number.
constexpr double LargestSerialNumber = 4294967295.0;

} // namespace

namespace CurrentDevice {
namespace {

std::atomic<const DeviceThread*>& deviceThread() {
    static std::atomic<const DeviceThread*> thread{nullptr};
    return thread;
}

} // namespace

DeviceConnection& Connection() {
    static DeviceConnection connection;
    return connection;
}

ZEX* Get() {
    return Connection().device.get();
}

void Connect(std::shared_ptr<ZEX> device, const std::function<void()>& beforeRetry) {
    DeviceConnection& connection = Connection();
    connection.device = std::move(device);
    connection.firmwareVersion = 0.0f;
    connection.serialNumberText.clear();
    if (!connection.device) {
        return;
    }
    connection.firmwareVersion = connection.device->VERS().toSingle();
    if (beforeRetry && connection.device->ErrorState()) {
        connection.device->ResetError();
        beforeRetry();
        connection.firmwareVersion = connection.device->VERS().toSingle();
    }
    if (connection.firmwareVersion >= 3.0f) {
        connection.serialNumberText = SerialNumberText(connection.device->SERIALNUMBER());
    }
}

void Release() {
    DeviceConnection& connection = Connection();
    connection.device.reset();
    connection.firmwareVersion = 0.0f;
    connection.serialNumberText.clear();
    connection.descriptor.reset();
}

bool ErrorPending() {
    if (const DeviceThread* thread = deviceThread().load()) {
        return thread->errorPending();
    }
    ZEX* device = Get();
    return device && device->ErrorState();
}

void SetDeviceThread(const DeviceThread* thread) {
    deviceThread().store(thread);
}

QString SerialNumberText(const DeviceValue& serialNumber) {
    if (serialNumber.isEmpty()) {
        return QString();
    }
    if (serialNumber.isText()) {
        return serialNumber.toText();
    }
    const double number = std::floor(serialNumber.toDouble());
    // Anything else (not a number, out of range) is no serial number, and converting it to a
    // whole number would be undefined.
    if (!(number >= 0.0 && number <= LargestSerialNumber)) {
        return QString();
    }
    return QStringLiteral("%1").arg(qint64(number), 10, 10, QLatin1Char('0'));
}

} // namespace CurrentDevice
