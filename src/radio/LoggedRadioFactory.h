#pragma once

#include "radio/RadioFactory.h"

#include <memory>

class LinkLogTap;
class MonotonicClock;

// Makes the radio objects of another factory, with the link wrapped so that its exchanges reach
// the link log. The other objects (host, base station, pairing) are passed through as they are.
class LoggedRadioFactory : public RadioFactory {
public:
    LoggedRadioFactory(std::unique_ptr<RadioFactory> factory, LinkLogTap& tap,
                       MonotonicClock& clock);

    std::unique_ptr<RadioHost> createHost() override;
    std::unique_ptr<RadioLink> createLink() override;
    std::unique_ptr<RadioBaseStation> createBaseStation() override;
    std::unique_ptr<RadioPairing> createPairing() override;

private:
    std::unique_ptr<RadioFactory> m_factory;
    LinkLogTap& m_tap;
    MonotonicClock& m_clock;
};
