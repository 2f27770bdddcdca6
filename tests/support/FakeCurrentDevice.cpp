#include "support/FakeCurrentDevice.h"

#include "device/CurrentDevice.h"

FakeCurrentDevice::FakeCurrentDevice()
    : driver(std::make_shared<SerialClass>(link)) {
    port.setResponder([this](const QByteArray& request) {
        return moduleAnswers ? module.respond(request) : QByteArray();
    });
    driver->DriverStation(1);
}

FakeCurrentDevice::~FakeCurrentDevice() {
    if (m_madeCurrent && CurrentDevice::Get() == m_madeCurrent) {
        CurrentDevice::Release();
    }
}

void FakeCurrentDevice::makeCurrent() {
    driver->DriverStation(1);
    m_madeCurrent = driver.get();
    CurrentDevice::Connect(driver);
}
