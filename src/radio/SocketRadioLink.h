#pragma once

#include "radio/RadioLink.h"
#include "radio/RadioSocketConnection.h"

// The radio link object over the simulated base station's local socket.
class SocketRadioLink : public RadioLink {
public:
    SocketRadioLink(RadioSocketConnection::Options options, MonotonicClock& clock);

    void setTarget(quint32 moduleId) override;
    qint32 errorCode() override;
    QString modelName() override;
    DeviceValue readParameter(RadioParameter parameter) override;
    void writeParameter(RadioParameter parameter, const DeviceValue& value) override;
    void save() override;
    void reset() override;
    void close() override;

private:
    void refuseIfClosed(const QString& operation) const;
    // Takes the outcome's error code (or raises for a refusal); true when it succeeded.
    bool take(const RadioSocketConnection::Outcome& outcome, const QString& operation);

    RadioSocketConnection m_connection;
    quint32 m_target = 0;
    qint32 m_errorCode = 0;
    bool m_closed = false;
};
