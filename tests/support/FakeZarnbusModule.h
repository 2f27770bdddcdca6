#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>

// A minimal module behind a ScriptedSerialPort responder or a pseudo-terminal: reads answer
// from a table, writes land in it, commands are recorded. The wire-exact module is zex-sim.
class FakeZarnbusModule {
public:
    explicit FakeZarnbusModule(quint8 station = 1)
        : m_station(station) {}

    QHash<quint8, float> values;                // parameter number -> value
    QList<QPair<quint8, float>> receivedWrites; // in order
    QList<quint8> receivedCommands;
    QList<quint8> receivedReads;

    // Answers one request frame the way a module would (empty when it is not addressed).
    QByteArray respond(const QByteArray& request);
    // Answers every whole request frame of a byte stream (the far end of a pseudo-terminal),
    // dropping wake bytes and noise; a partial frame is left for the next call.
    QByteArray respondToStream(QByteArray& unconsumed);

private:
    quint8 m_station;
};
