#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

class MonotonicClock;
class RadioBaseStation;
class RadioFactory;
class RadioHost;
class RadioLink;
struct RadioUi;

// The radio state shared by the whole program: the one radio link (used by R58Class and the
// connection procedures), the base station probed at start-up, the host object, the module the
// link is aimed at and whether a base station was found. The main window owns one for the run.
class RadioSupport {
public:
    enum class StartOutcome { NoInterface, NoBaseStation, Connected };

    RadioSupport(RadioFactory& factory, MonotonicClock& clock);
    ~RadioSupport();
    RadioSupport(const RadioSupport&) = delete;
    RadioSupport& operator=(const RadioSupport&) = delete;

    // Probes the USB interface and the base station once, reporting in the status line only.
    // Sets the base-station-present flag and, when connected, AppState().StatusText.
    StartOutcome StartRadio(const RadioUi& ui);
    // Aims the radio link at this module.
    void SetRadioTarget(quint32 moduleId);
    // Closes the link and releases every radio object.
    void StopRadio();

    bool baseStationPresent() const { return m_baseStationPresent; }
    quint32 radioTargetId() const { return m_radioTargetId; }
    void setRadioTargetId(quint32 moduleId) { m_radioTargetId = moduleId; }
    // What start-up read from the base station (0 when none was found).
    quint32 baseStationId() const { return m_baseStationId; }
    quint8 baseStationChannel() const { return m_baseStationChannel; }

    // Created on first use.
    std::shared_ptr<RadioLink> link();
    RadioFactory& factory() { return m_factory; }
    MonotonicClock& clock() { return m_clock; }

    // "Connected to Base Station ID 12AB on channel 3".
    static QString BaseStationText(quint32 baseStationId, quint8 channel);

    // The closed link needed a second to wind down; kept so shutdown behaves the same.
    static constexpr qint64 CloseSettleMs = 1000;

private:
    RadioBaseStation& baseStation();

    RadioFactory& m_factory;
    MonotonicClock& m_clock;
    std::unique_ptr<RadioHost> m_host;
    std::unique_ptr<RadioBaseStation> m_baseStation;
    std::shared_ptr<RadioLink> m_link;
    quint32 m_radioTargetId = 0;
    bool m_baseStationPresent = false;
    quint32 m_baseStationId = 0;
    quint8 m_baseStationChannel = 0;
};
