#include "radio/SocketRadioFactory.h"

#include "radio/RadioHost.h"
#include "radio/RadioWireModule.h"
#include "radio/SocketBaseStation.h"
#include "radio/SocketPairing.h"
#include "radio/SocketRadioLink.h"

namespace {

// Our layer needs no process-wide radio resources; the host object only has to exist.
class SocketRadioHost : public RadioHost {};

RadioSocketConnection::Options defaultOptions() {
    RadioSocketConnection::Options options;
    options.socketName = RadioWireModule::DefaultSocketName();
    return options;
}

} // namespace

SocketRadioFactory::SocketRadioFactory(MonotonicClock& clock)
    : SocketRadioFactory(defaultOptions(), clock) {}

SocketRadioFactory::SocketRadioFactory(RadioSocketConnection::Options options,
                                       MonotonicClock& clock)
    : m_options(std::move(options))
    , m_clock(clock) {}

std::unique_ptr<RadioHost> SocketRadioFactory::createHost() {
    return std::make_unique<SocketRadioHost>();
}

std::unique_ptr<RadioLink> SocketRadioFactory::createLink() {
    return std::make_unique<SocketRadioLink>(m_options, m_clock);
}

std::unique_ptr<RadioBaseStation> SocketRadioFactory::createBaseStation() {
    return std::make_unique<SocketBaseStation>(m_options, m_clock);
}

std::unique_ptr<RadioPairing> SocketRadioFactory::createPairing() {
    return std::make_unique<SocketPairing>(m_options, m_clock);
}
