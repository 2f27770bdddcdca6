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

// The radio link is shared with the current device. A procedure aims it at the module it tries;
// unless that module becomes the current device, the link goes back to the module it was aimed
// at, so a failed or refused connect leaves the current device talking to its own module.
class TargetKeeper {
public:
    explicit TargetKeeper(RadioSupport& radio)
        : m_radio(radio)
        , m_previousId(radio.radioTargetId()) {}
    ~TargetKeeper() {
        if (m_connected || !m_linkAimed) {
            return;
        }
        try {
            m_radio.SetRadioTarget(m_previousId);
        } catch (...) {
            // A link that refuses calls reaches no module anyway; the first refusal reports.
        }
    }
    TargetKeeper(const TargetKeeper&) = delete;
    TargetKeeper& operator=(const TargetKeeper&) = delete;

    void aimLink(quint32 moduleId) {
        m_linkAimed = true;
        m_radio.SetRadioTarget(moduleId);
    }
    // From here on the new device is current: the link stays on its module.
    void connected() { m_connected = true; }

private:
    RadioSupport& m_radio;
    quint32 m_previousId;
    bool m_linkAimed = false;
    bool m_connected = false;
};

void letEventsRun() {
    if (QCoreApplication::instance()) {
        QCoreApplication::processEvents();
    }
}

// The new device becomes current and the model's pages are offered.
void connectDevice(RadioSupport& radio, TargetKeeper& target, const RadioUi& ui,
                   const QString& model, quint32 id) {
    auto device = std::make_shared<R58Class>(radio.link());
    target.connected();
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
    TargetKeeper target(radio);
    // Declared in this order, the notice closes before the session finishes the pairing object,
    // restores the pointer and enables the window, whichever way the procedure leaves.
    PairingSession pairing(radio, ui);
    NoticeMessage notice(ui);
    notice.show(QStringLiteral("Pairing..."),
                QStringLiteral("You have 10 seconds to perform Pairing on the ZEX."));
    ui.busy(true);
    AppState().StatusText.clear();
    letEventsRun();

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
    notice.close();
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
    notice.show(QStringLiteral("Pairing..."), QStringLiteral("Identifying device..."));
    QString model;
    const qint64 identifyStart = clock.nowMs();
    while (model.isEmpty() && clock.nowMs() - identifyStart < IdentifyLimitMs) {
        model = pairing->modelNameOfId(1, id);
        if (model.isEmpty()) {
            clock.waitMs(IdentifyPauseMs);
        }
    }
    notice.close();
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
        target.aimLink(id);
        connectDevice(radio, target, ui, model, id);
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

    TargetKeeper target(radio);
    PairingSession pairing(radio, ui);
    NoticeMessage notice(ui);
    pairing.disableWindow();
    QString model;
    ui.busy(true);

    // The model name is asked through the link, so the link has to be aimed at the module first.
    target.aimLink(id);
    pairing->addressModule(1, id);
    notice.show(QStringLiteral("Connecting"), QStringLiteral("Attempting to connect..."));

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

    notice.close();
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
        target.connected();
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
    // Leaving, the notice is closed, the pairing object finished, the pointer restored and the
    // window enabled; unless a module was connected, the link is back on the current device's.
    return result;
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
