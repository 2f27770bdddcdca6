#pragma once

#include <memory>

class RadioBaseStation;
class RadioHost;
class RadioLink;
class RadioPairing;

// Creates the radio support objects, so the real ones and scripted ones are interchangeable.
class RadioFactory {
public:
    virtual ~RadioFactory() = default;

    virtual std::unique_ptr<RadioHost> createHost() = 0;
    virtual std::unique_ptr<RadioLink> createLink() = 0;
    virtual std::unique_ptr<RadioBaseStation> createBaseStation() = 0;
    virtual std::unique_ptr<RadioPairing> createPairing() = 0;
};
