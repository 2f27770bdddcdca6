#include "radio/RadioSupport.h"

#include "radio/RadioBaseStation.h"
#include "radio/RadioFactory.h"
#include "radio/RadioHost.h"
#include "radio/RadioIdModule.h"
#include "radio/RadioLink.h"
#include "radio/RadioPairing.h"
#include "radio/RadioUi.h"
#include "util/ApplicationState.h"
#include "util/MonotonicClock.h"

RadioSupport::RadioSupport(RadioFactory& factory, MonotonicClock& clock)
    : m_factory(factory)
    , m_clock(clock) {}

RadioSupport::~RadioSupport() = default;

RadioSupport::StartOutcome RadioSupport::StartRadio(const RadioUi& ui) {
    m_host = m_factory.createHost();
    m_baseStationPresent = false;
    ui.status(QStringLiteral("Attempting to open interface connection..."), false);

    bool interfacePresent = false;
    {
        const BusyPointer busy(ui);
        const std::unique_ptr<RadioPairing> pairing = m_factory.createPairing();
        try {
            pairing->openInterface();
            interfacePresent = pairing->interfacePresent(0, 0);
        } catch (...) {
            // What the object started is ended on this path too; the refusal is what reports.
            try {
                pairing->finish();
            } catch (...) {
            }
            throw;
        }
        pairing->finish();
    }
    if (!interfacePresent) {
        ui.status(QStringLiteral("Failed to open USB interface!"), false);
        return StartOutcome::NoInterface;
    }

    RadioBaseStation& station = baseStation();
    // A base station that is still waking up answers the second time.
    if (!station.open() && !station.open()) {
        ui.status(QStringLiteral("Could not detect a Base Station!"), false);
        return StartOutcome::NoBaseStation;
    }
    m_baseStationId = station.baseStationId();
    m_baseStationChannel = station.channel();
    AppState().StatusText = BaseStationText(m_baseStationId, m_baseStationChannel);
    ui.status(AppState().StatusText, false);
    m_baseStationPresent = true;
    return StartOutcome::Connected;
}

void RadioSupport::SetRadioTarget(quint32 moduleId) {
    m_radioTargetId = moduleId;
    link()->setTarget(moduleId);
}

void RadioSupport::StopRadio() {
    m_baseStation.reset();
    m_host.reset();
    if (!m_link) {
        return; // never used: nothing to close or wait for
    }
    m_link->close();
    m_clock.waitMs(CloseSettleMs);
    m_link.reset();
}

std::shared_ptr<RadioLink> RadioSupport::link() {
    if (!m_link) {
        m_link = m_factory.createLink();
    }
    return m_link;
}

RadioBaseStation& RadioSupport::baseStation() {
    if (!m_baseStation) {
        m_baseStation = m_factory.createBaseStation();
    }
    return *m_baseStation;
}

QString RadioSupport::BaseStationText(quint32 baseStationId, quint8 channel) {
    return QStringLiteral("Connected to Base Station ID ") + RadioIdModule::ToHex(baseStationId) +
           QStringLiteral(" on channel ") + QString::number(channel);
}
