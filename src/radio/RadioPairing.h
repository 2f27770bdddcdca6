#pragma once

#include <QString>
#include <QtGlobal>

// The pairing object: pairing with a module that is being powered up, addressing a module by
// its ID, asking a module's model name. Not shared: each procedure creates one, uses it, calls
// finish() and releases it. The meaning of the plain numeric and flag arguments belongs to the
// base station; callers pass them unchanged.
class RadioPairing {
public:
    // Pairing goes on while the status reads this; 0 is success, anything else failure.
    static constexpr qint32 StillPairing = 99;

    virtual ~RadioPairing() = default;

    // Prepares the USB interface.
    virtual void openInterface() = 0;
    // True when the USB interface could be opened.
    virtual bool interfacePresent(qint32 first, qint32 second) = 0;
    // Starts listening, for this many seconds, for a module that is powered up.
    virtual void startPairing(qint32 mode, bool first, bool second, qint32 seconds) = 0;
    virtual qint32 pairingStatus() = 0;
    virtual quint32 pairedId() = 0;
    // "" while the module's model is not known.
    virtual QString modelNameOfId(qint32 mode, quint32 moduleId) = 0;
    // Prepares radio contact with a module whose ID was typed in.
    virtual void addressModule(qint32 mode, quint32 moduleId) = 0;
    // Ends what the object started.
    virtual void finish() = 0;
};
