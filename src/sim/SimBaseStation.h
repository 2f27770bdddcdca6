#pragma once

#include "sim/FaultPlan.h"

#include <QHash>
#include <QRandomGenerator>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class MonotonicClock;
class RadioReachableModule;

struct BaseStationConfig {
    bool attached = true; // false: the USB interface is there, the base station is not
    quint32 id = 0x12AB;
    quint8 channel = 1;
    quint32 seed = 1; // for faults that fire with a probability
};

// The simulated R58 base station: its ID and channel (1 to 16, a new one taking effect when
// committed), the radio modules in the air, pairing sessions that listen for a module being
// powered up, and radio exchanges with one module at a time, which the modules' faults can spoil.
// Thread-safe: the socket server and the operator's commands reach it from different threads.
class SimBaseStation {
public:
    // Pairing status values. 99 and 0 are what the tool relies on; the others say why it failed.
    static constexpr qint32 PairingListening = 99;
    static constexpr qint32 PairingSucceeded = 0;
    static constexpr qint32 PairingTimedOut = 1;
    static constexpr qint32 PairingNoBaseStation = 2;
    static constexpr qint32 PairingNotStarted = 3;

    // Radio exchange results: 0, or the link's error code.
    static constexpr qint32 Ok = 0;
    static constexpr qint32 NoBaseStation = 1;
    static constexpr qint32 NoResponse = 2;
    static constexpr qint32 Refused = 3;

    SimBaseStation(BaseStationConfig config, MonotonicClock& clock);
    ~SimBaseStation();

    // Takes ownership; a module whose ID is taken is refused (returns false).
    bool addModule(std::unique_ptr<RadioReachableModule> module);

    bool isAttached() const;
    quint32 id() const;
    quint8 channel() const;
    // Stage a channel; false (nothing staged) outside 1 to 16 or without a base station.
    bool stageChannel(int channel);
    // The staged channel takes effect; false when nothing is staged or no base station.
    bool commitChannel();

    // Pairing sessions, one per caller handle.
    qint32 startPairing(int handle, qint32 seconds);
    qint32 pairingStatus(int handle);
    quint32 pairedId(int handle);
    void finishPairing(int handle);
    struct Answer {
        qint32 code = Ok;
        double value = 0.0;
        QString text;
        int delayMs = 0; // how late the module's answer comes
    };
    // Pairing's question for the model name: text "" unless the module is in reach on the base
    // station's channel and answers.
    Answer modelNameOf(quint32 moduleId);
    Answer modelName(quint32 moduleId);
    Answer read(quint32 moduleId, const QString& name);
    Answer write(quint32 moduleId, const QString& name, double value);
    Answer save(quint32 moduleId);
    Answer reset(quint32 moduleId);

    // The operator's side. False when no module has this ID.
    bool powerUp(quint32 moduleId);
    bool powerDown(quint32 moduleId);
    // Runs the function on the module under the base station's lock; false when no module has
    // this ID.
    bool withModule(quint32 moduleId, const std::function<void(RadioReachableModule&)>& function);
    // One line per module and one for the base station, for the operator.
    QString describe();

    // Faults a radio module puts on its exchanges: silence (not heard: no effect, "No response"),
    // nak (refused: no effect, "NAK response"), delay (carried out, answered late).
    static QList<FaultPlan::Kind> RadioFaultKinds();
    // False when no module has this ID or the kind is not a radio fault.
    bool addFault(quint32 moduleId, const FaultPlan::Rule& rule);
    // Of one module, or of every module.
    void clearFaults(std::optional<quint32> moduleId = std::nullopt);
    void setFaultDelayMs(int ms);
    int faultDelayMs() const;
    // One line per fault in force, "" for none.
    QString describeFaults();

private:
    struct Session {
        qint64 endsAtMs = 0;
        qint32 status = PairingListening;
        quint32 pairedId = 0;
    };

    RadioReachableModule* find(quint32 moduleId) const;
    // The module, if the base station can talk to it now and its faults let the exchange
    // through; otherwise the answer's error code says why. A delay goes into the answer.
    RadioReachableModule* reach(quint32 moduleId, Answer& answer);
    void expireSessions();
    void heardPowerUp(quint32 moduleId);

    mutable std::recursive_mutex m_mutex;
    BaseStationConfig m_config;
    MonotonicClock& m_clock;
    std::optional<quint8> m_stagedChannel;
    std::vector<std::unique_ptr<RadioReachableModule>> m_modules;
    QHash<int, Session> m_sessions;
    QHash<quint32, FaultPlan> m_faults;
    int m_faultDelayMs = 1500;
    QRandomGenerator m_random;
};
