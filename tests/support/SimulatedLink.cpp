#include "support/SimulatedLink.h"

ModuleConfig ModuleAt(int station, double firmware, quint32 serial, int baud) {
    ModuleConfig config;
    config.station = station;
    config.firmware = firmware;
    config.serialNumber = serial;
    config.baudRate = baud;
    return config;
}

SimulatedLink::SimulatedLink(const QList<ModuleConfig>& modules, bool timing, int toolBaud)
    : m_link(m_port, m_clock) {
    auto bus = std::make_unique<SimulatedBus>(m_moduleClock, 20240601);
    for (const ModuleConfig& config : modules) {
        bus->addModule(config);
    }
    bus->setTiming(timing);
    m_server = std::make_unique<SimulatorServer>(std::move(bus));
    if (!m_server->start(&m_failure)) {
        return;
    }
    m_ready = reopen(toolBaud);
}

SimulatedLink::~SimulatedLink() {
    m_port.close();
    m_server->stop();
}

bool SimulatedLink::reopen(int toolBaud) {
    if (!Zarnbus2Module::OpenPortByName(m_link, m_server->devicePath(), toolBaud)) {
        m_failure = m_link.openFailureText;
        return false;
    }
    return true;
}

SerialClass& SimulatedLink::device(int station) {
    std::unique_ptr<SerialClass>& device = m_devices[station];
    if (!device) {
        device = std::make_unique<SerialClass>(m_link);
        device->DriverStation(quint8(station));
    }
    return *device;
}

QList<QByteArray> SimulatedLink::takeFramesSeen() {
    return m_server->withBus([](SimulatedBus& bus) {
        QList<QByteArray> frames = bus.framesSeen();
        bus.clearFramesSeen();
        return frames;
    });
}
