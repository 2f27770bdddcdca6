#include "radio/LoggedRadioFactory.h"

#include "radio/LoggedRadioLink.h"
#include "radio/RadioBaseStation.h"
#include "radio/RadioHost.h"
#include "radio/RadioPairing.h"

LoggedRadioFactory::LoggedRadioFactory(std::unique_ptr<RadioFactory> factory, LinkLogTap& tap,
                                       MonotonicClock& clock)
    : m_factory(std::move(factory))
    , m_tap(tap)
    , m_clock(clock) {}

std::unique_ptr<RadioHost> LoggedRadioFactory::createHost() {
    return m_factory->createHost();
}

std::unique_ptr<RadioLink> LoggedRadioFactory::createLink() {
    return std::make_unique<LoggedRadioLink>(m_factory->createLink(), m_tap, m_clock);
}

std::unique_ptr<RadioBaseStation> LoggedRadioFactory::createBaseStation() {
    return m_factory->createBaseStation();
}

std::unique_ptr<RadioPairing> LoggedRadioFactory::createPairing() {
    return m_factory->createPairing();
}
