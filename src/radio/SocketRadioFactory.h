#pragma once

#include "radio/RadioFactory.h"
#include "radio/RadioSocketConnection.h"

class MonotonicClock;

// Creates radio objects that talk to the simulated base station over a local socket. Without a
// simulator the USB interface reads as absent.
class SocketRadioFactory : public RadioFactory {
public:
    // The per-user socket name (RadioWireModule::DefaultSocketName) unless another is given.
    explicit SocketRadioFactory(MonotonicClock& clock);
    SocketRadioFactory(RadioSocketConnection::Options options, MonotonicClock& clock);

    const RadioSocketConnection::Options& options() const { return m_options; }

    std::unique_ptr<RadioHost> createHost() override;
    std::unique_ptr<RadioLink> createLink() override;
    std::unique_ptr<RadioBaseStation> createBaseStation() override;
    std::unique_ptr<RadioPairing> createPairing() override;

private:
    RadioSocketConnection::Options m_options;
    MonotonicClock& m_clock;
};
