#pragma once

#include <QHash>
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
};

// The simulated R58 base station: its ID and channel (1 to 16, a new one taking effect when
// committed), the radio modules in the air, pairing sessions that listen for a module being
// powered up, and radio exchanges with one module at a time. Thread-safe: the socket server and
// the operator's commands reach it from different threads.
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
    // "" unless the module is in reach on the base station's channel.
    QString modelNameOf(quint32 moduleId);

    struct Answer {
        qint32 code = Ok;
        double value = 0.0;
        QString text;
    };
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

private:
    struct Session {
        qint64 endsAtMs = 0;
        qint32 status = PairingListening;
        quint32 pairedId = 0;
    };

    RadioReachableModule* find(quint32 moduleId) const;
    // The module, if the base station can talk to it now; otherwise the error code.
    RadioReachableModule* reach(quint32 moduleId, qint32& code);
    void expireSessions();
    void heardPowerUp(quint32 moduleId);

    mutable std::recursive_mutex m_mutex;
    BaseStationConfig m_config;
    MonotonicClock& m_clock;
    std::optional<quint8> m_stagedChannel;
    std::vector<std::unique_ptr<RadioReachableModule>> m_modules;
    QHash<int, Session> m_sessions;
};
