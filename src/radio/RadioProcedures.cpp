#include "radio/RadioProcedures.h"

#include "device/CurrentDevice.h"
#include "radio/R58Class.h"
#include "radio/RadioBaseStation.h"
#include "radio/RadioErrorCodes.h"
#include "radio/RadioFactory.h"
#include "radio/RadioIdModule.h"
#include "radio/RadioLink.h"
#include "radio/RadioPairing.h"
#include "radio/RadioSupport.h"
#include "radio/RadioUi.h"
#include "util/ApplicationState.h"
#include "util/MonotonicClock.h"

#include <QCoreApplication>
#include <memory>

namespace RadioProcedures {
namespace {

using Mode = RadioUi::MessageMode;

// Whatever path a procedure leaves by (a refused call included), the pairing object is
// finished, the pointer is normal and the window usable again.
class PairingSession {
public:
    PairingSession(RadioSupport& radio, const RadioUi& ui)
        : m_pairing(radio.factory().createPairing())
        , m_ui(ui) {}
    ~PairingSession() {
        try {
            m_pairing->finish();
        } catch (...) {
            // Already leaving by an error; the object is released either way.
        }
        m_ui.busy(false);
        if (m_windowDisabled) {
            m_ui.windowEnabled(true);
        }
    }
    PairingSession(const PairingSession&) = delete;
    PairingSession& operator=(const PairingSession&) = delete;

    RadioPairing* operator->() { return m_pairing.get(); }
    void disableWindow() {
        m_ui.windowEnabled(false);
        m_windowDisabled = true;
    }
    void enableWindow() {
        m_ui.windowEnabled(true);
        m_windowDisabled = false;
    }

private:
    std::unique_ptr<RadioPairing> m_pairing;
    const RadioUi& m_ui;
    bool m_windowDisabled = false;
};

void letEventsRun() {
    if (QCoreApplication::instance()) {
        QCoreApplication::processEvents();
    }
}

// The new device becomes current and the model's pages are offered.
void connectDevice(RadioSupport& radio, const RadioUi& ui, const QString& model, quint32 id) {
    auto device = std::make_shared<R58Class>(radio.link());
    CurrentDevice::Connect(device);
    ui.pagesFor(model);
    AppState().StatusText = ConnectedText(model, id, device->CHANNEL().toText());
    ui.status(AppState().StatusText, false);
}

} // namespace

QString ConnectedText(const QString& model, quint32 moduleId, const QString& channel) {
    return QStringLiteral("Connected to ") + model + QStringLiteral(" of ID ") +
           RadioIdModule::ToHex(moduleId) + QStringLiteral(" on channel ") + channel;
}

Result Pair(RadioSupport& radio, const RadioUi& ui) {
    MonotonicClock& clock = radio.clock();
    ui.message(QStringLiteral("Pairing..."),
               QStringLiteral("You have 10 seconds to perform Pairing on the ZEX."), false,
               Mode::Notice);
    ui.busy(true);
    AppState().StatusText.clear();
    letEventsRun();

    PairingSession pairing(radio, ui);
    pairing->startPairing(1, true, true, PairingSeconds);
    pairing.disableWindow();

    // The status leaves 99 when the window closes; should it never do so, stop waiting anyway.
    const qint64 giveUpAt = clock.nowMs() + PairingSeconds * 1000 + PairingGraceMs;
    for (;;) {
        const bool escape = ui.escape();
        const qint32 status = pairing->pairingStatus();
        if (status != RadioPairing::StillPairing || escape || clock.nowMs() >= giveUpAt) {
            break;
        }
        clock.waitMs(PairingPollMs, true);
    }

    pairing.enableWindow();
    const qint32 status = pairing->pairingStatus();
    const quint32 id = pairing->pairedId();
    ui.close();
    ui.busy(false);

    Result result;
    result.moduleId = id;
    if (status != 0) {
        ui.message(QStringLiteral("Pairing Failed"),
                   QStringLiteral("Failed to pair with a module!"), true, Mode::OK);
        ui.status(QStringLiteral("Could not pair with a module!"), false);
        result.outcome = Outcome::PairingFailed;
        return result;
    }

    ui.busy(true);
    ui.message(QStringLiteral("Pairing..."), QStringLiteral("Identifying device..."), false,
               Mode::Notice);
    QString model;
    const qint64 identifyStart = clock.nowMs();
    while (model.isEmpty() && clock.nowMs() - identifyStart < IdentifyLimitMs) {
        model = pairing->modelNameOfId(1, id);
        if (model.isEmpty()) {
            clock.waitMs(IdentifyPauseMs);
        }
    }
    ui.close();
    radio.setRadioTargetId(id);
    result.model = model;

    if (model.isEmpty()) {
        ui.busy(false);
        ui.message(QStringLiteral("Pair Failed"),
                   QStringLiteral("Although we did pair with a module when trying to communicate "
                                  "to retrieve model type we lost communications. This may be "
                                  "due to the power not being cleanly applied!"),
                   true, Mode::OK);
        ui.status(QStringLiteral("Pairing failed!"), false);
        result.outcome = Outcome::IdentificationLost;
        return result; // the session still finishes the pairing object
    }

    ui.busy(false);
    if (ui.supports(model)) {
        ui.unload();
        radio.SetRadioTarget(id);
        connectDevice(radio, ui, model, id);
        result.outcome = Outcome::Connected;
    } else {
        ui.message(QStringLiteral("Module Not Supported"),
                   QStringLiteral("The module we just paired with is a ") + model +
                       QStringLiteral(" but this toolkit does not support this device!"),
                   true, Mode::OK);
        ui.status(model + QStringLiteral(" modules not supported!"), false);
        result.outcome = Outcome::NotSupported;
    }
    return result;
}

Result DoManualConnection(RadioSupport& radio, const RadioUi& ui, const QString& typedId) {
    Result result;
    const RadioIdModule::ParsedId parsed = RadioIdModule::ParseTypedId(typedId);
    if (!parsed.id) {
        result.outcome = Outcome::InvalidId;
        result.problem = parsed.problem;
        return result;
    }
    const quint32 id = *parsed.id;
    result.moduleId = id;
    MonotonicClock& clock = radio.clock();

    PairingSession pairing(radio, ui);
    pairing.disableWindow();
    QString model;
    ui.busy(true);

    radio.SetRadioTarget(id);
    pairing->addressModule(1, id);
    ui.message(QStringLiteral("Connecting"), QStringLiteral("Attempting to connect..."), false,
               Mode::Notice);

    RadioLink& link = *radio.link();
    model = link.modelName();
    if (link.errorCode() != RadioErrorCodes::None) {
        model.clear();
    }
    const qint64 start = clock.nowMs();
    bool escapeSeen = false;
    while (link.errorCode() != RadioErrorCodes::None && clock.nowMs() - start < ManualLimitMs &&
           !escapeSeen) {
        for (qint64 waited = 0; waited < ManualPauseMs && !escapeSeen; waited += EscapePollMs) {
            clock.waitMs(EscapePollMs, true);
            escapeSeen = ui.escape();
        }
        model = link.modelName();
    }

    ui.close();
    model = link.modelName();
    for (int extra = 0; extra < 2 && model.isEmpty(); ++extra) {
        model = link.modelName();
    }
    if (link.errorCode() != RadioErrorCodes::None) {
        model.clear();
    }
    result.model = model;

    if (model.isEmpty()) {
        ui.busy(false);
        ui.message(QStringLiteral("Cannot Detect"),
                   QStringLiteral("Cannot detect the module! This may be because it is on a "
                                  "different radio channel to the base station or that there is "
                                  "too much radio traffic to manually connect to this module."),
                   true, Mode::OK);
        result.outcome = Outcome::CannotDetect;
    } else if (ui.supports(model)) {
        auto device = std::make_shared<R58Class>(radio.link());
        CurrentDevice::Connect(device);
        ui.unload();
        ui.pagesFor(model);
        radio.SetRadioTarget(id);
        AppState().StatusText = ConnectedText(model, id, device->CHANNEL().toText());
        ui.status(AppState().StatusText, false);
        result.outcome = Outcome::Connected;
    } else {
        ui.busy(false);
        ui.message(QStringLiteral("Module Not Supported"),
                   QStringLiteral("The module we just connected to is a ") + model +
                       QStringLiteral(" but this toolkit does not support this module!"),
                   true, Mode::OK);
        ui.status(model + QStringLiteral(" module not supported!"), false);
        result.outcome = Outcome::NotSupported;
    }
    return result; // the session restores the pointer, finishes pairing, enables the window
}

ChannelResult SetBaseStationChannel(RadioSupport& radio, const RadioUi& ui, int channel) {
    ChannelResult result;
    if (channel < LowestChannel || channel > HighestChannel) {
        result.problem =
            QStringLiteral("Radio channel %1 is outside 1 to 16; the base station was not changed")
                .arg(channel);
        return result;
    }
    const BusyPointer busy(ui);
    qint32 errorFlag = 0;
    {
        const std::unique_ptr<RadioBaseStation> station = radio.factory().createBaseStation();
        station->open();
        station->setChannel(quint8(channel));
        station->commit();
        radio.clock().waitMs(ChannelSettleMs);
        station->close();
        errorFlag = station->errorFlag();
    }
    if (errorFlag != 0) {
        result.problem = QStringLiteral("Cannot set base station channel!");
        ui.status(result.problem, true);
    } else {
        result.succeeded = true;
    }
    return result;
}

quint8 ReadBaseStationChannel(RadioSupport& radio) {
    const std::unique_ptr<RadioBaseStation> station = radio.factory().createBaseStation();
    station->open();
    return station->channel();
}

} // namespace RadioProcedures
