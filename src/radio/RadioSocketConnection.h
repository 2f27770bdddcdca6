#pragma once

#include "radio/RadioLineBuffer.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

class MonotonicClock;
class QLocalSocket;

// One connection to the simulated base station, with blocking request and reply. Every wait is
// bounded on the monotonic clock; a vanished, silent or garbling peer ends the connection, and
// the next request connects afresh (so a restarted simulator is found again).
class RadioSocketConnection {
public:
    struct Options {
        QString socketName;
        qint64 connectTimeoutMs = 500;
        qint64 requestTimeoutMs = 1000;
    };

    enum class Status {
        Ok,      // payload holds the reply's payload
        Error,   // the peer reported a radio failure: errorCode
        Refused, // the peer refused the call: payload holds the reason
        NoPeer,  // nothing to connect to, or the peer went away
        TimedOut,
        Malformed, // the peer answered with something that is not a reply
    };

    struct Outcome {
        Status status = Status::NoPeer;
        QString payload;
        qint32 errorCode = 0;
        bool ok() const { return status == Status::Ok; }
    };

    RadioSocketConnection(Options options, MonotonicClock& clock);
    ~RadioSocketConnection();
    RadioSocketConnection(const RadioSocketConnection&) = delete;
    RadioSocketConnection& operator=(const RadioSocketConnection&) = delete;

    // Connects and greets the peer unless already connected; false when no peer speaks our
    // protocol version.
    bool ensureConnected();
    bool isConnected() const;
    Outcome request(const QString& verb, const QStringList& arguments = {});
    void disconnect();

private:
    Outcome exchange(quint32 sequence, const QString& verb, const QStringList& arguments);

    Options m_options;
    MonotonicClock& m_clock;
    std::unique_ptr<QLocalSocket> m_socket;
    RadioLineBuffer m_lines;
    quint32 m_nextSequence = 1;
    bool m_greeted = false;
};
