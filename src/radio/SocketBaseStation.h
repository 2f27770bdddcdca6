#pragma once

#include "radio/RadioBaseStation.h"
#include "radio/RadioSocketConnection.h"

#include <QString>

// The base-station object over the simulated base station's local socket.
class SocketBaseStation : public RadioBaseStation {
public:
    SocketBaseStation(RadioSocketConnection::Options options, MonotonicClock& clock);

    bool open() override;
    quint32 baseStationId() override;
    quint8 channel() override;
    void setChannel(quint8 channel) override;
    void commit() override;
    void close() override;
    qint32 errorFlag() override { return m_errorFlag; }

private:
    // The reply's payload as a whole number in range, or nullopt after setting the error flag.
    std::optional<qint64> number(const char* verb, qint64 highest, const QString& operation);
    bool run(const char* verb, const QStringList& arguments, const QString& operation);

    RadioSocketConnection m_connection;
    qint32 m_errorFlag = 0;
};
