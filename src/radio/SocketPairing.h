#pragma once

#include "radio/RadioPairing.h"
#include "radio/RadioSocketConnection.h"

// The pairing object over the simulated base station's local socket. Its pairing session lives
// on its own connection, so a vanished tool never leaves the base station listening.
class SocketPairing : public RadioPairing {
public:
    // What the status reads when the base station cannot be asked.
    static constexpr qint32 StatusUnreachable = -1;

    SocketPairing(RadioSocketConnection::Options options, MonotonicClock& clock);

    void openInterface() override;
    bool interfacePresent(qint32 first, qint32 second) override;
    void startPairing(qint32 mode, bool first, bool second, qint32 seconds) override;
    qint32 pairingStatus() override;
    quint32 pairedId() override;
    QString modelNameOfId(qint32 mode, quint32 moduleId) override;
    void addressModule(qint32 mode, quint32 moduleId) override;
    void finish() override;

private:
    RadioSocketConnection::Outcome ask(const char* verb, const QStringList& arguments,
                                       const QString& operation);

    RadioSocketConnection m_connection;
};
