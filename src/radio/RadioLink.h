#pragma once

#include "device/DeviceValue.h"
#include "radio/RadioParameters.h"

#include <QString>
#include <QtGlobal>

// The radio link object: talks to one target module through the base station. Radio failures
// are its error code (0 after an exchange that succeeded); a call it refuses raises
// RadioRefusedError.
class RadioLink {
public:
    virtual ~RadioLink() = default;

    // Later parameter operations address this module.
    virtual void setTarget(quint32 moduleId) = 0;
    virtual qint32 errorCode() = 0;
    // The target's model name, "" when it cannot be read.
    virtual QString modelName() = 0;
    // One radio exchange each. A read delivers the parameter's form (RadioParameters::Form);
    // after a failed exchange it delivers an empty value. A write takes the value already in that
    // form (the driver converts) and refuses read-only parameters.
    virtual DeviceValue readParameter(RadioParameter parameter) = 0;
    virtual void writeParameter(RadioParameter parameter, const DeviceValue& value) = 0;
    // The module keeps its radio settings.
    virtual void save() = 0;
    // The module resets.
    virtual void reset() = 0;
    // Ends the link; called once at shutdown. Any later call is refused.
    virtual void close() = 0;
};
