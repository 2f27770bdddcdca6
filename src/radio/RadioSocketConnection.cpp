#include "radio/RadioSocketConnection.h"

#include "radio/RadioWireModule.h"
#include "util/MonotonicClock.h"

#include <QLocalSocket>
#include <algorithm>

namespace {

// Short slices keep the monotonic deadline in charge of every wait.
constexpr qint64 WaitSliceMs = 50;

} // namespace

RadioSocketConnection::RadioSocketConnection(Options options, MonotonicClock& clock)
    : m_options(std::move(options))
    , m_clock(clock)
    , m_lines(RadioWireModule::MaxLineBytes) {}

RadioSocketConnection::~RadioSocketConnection() {
    disconnect();
}

bool RadioSocketConnection::isConnected() const {
    return m_socket && m_greeted && m_socket->state() == QLocalSocket::ConnectedState;
}

void RadioSocketConnection::disconnect() {
    if (m_socket) {
        m_socket->abort();
        m_socket.reset();
    }
    m_lines.clear();
    m_greeted = false;
}

bool RadioSocketConnection::ensureConnected() {
    if (isConnected()) {
        return true;
    }
    disconnect();
    m_socket = std::make_unique<QLocalSocket>();
    m_socket->connectToServer(m_options.socketName);
    const qint64 deadline = m_clock.nowMs() + m_options.connectTimeoutMs;
    while (m_socket->state() == QLocalSocket::ConnectingState && m_clock.nowMs() < deadline) {
        m_socket->waitForConnected(
            int(std::clamp<qint64>(deadline - m_clock.nowMs(), 1, WaitSliceMs)));
    }
    if (m_socket->state() != QLocalSocket::ConnectedState) {
        disconnect();
        return false;
    }
    const Outcome hello = exchange(0, QString::fromLatin1(RadioWireModule::Verb::Hello),
                                   {QString::fromLatin1(RadioWireModule::Magic),
                                    QString::number(RadioWireModule::ProtocolVersion)});
    const QString expected = QString::fromLatin1(RadioWireModule::Magic) + QLatin1Char(' ') +
                             QString::number(RadioWireModule::ProtocolVersion);
    if (!hello.ok() || hello.payload != expected) {
        disconnect();
        return false;
    }
    m_greeted = true;
    return true;
}

RadioSocketConnection::Outcome RadioSocketConnection::request(const QString& verb,
                                                              const QStringList& arguments) {
    if (!ensureConnected()) {
        return Outcome{Status::NoPeer, QString(), 0};
    }
    const quint32 sequence = m_nextSequence;
    m_nextSequence = m_nextSequence == 0x7FFFFFFF ? 1 : m_nextSequence + 1;
    const Outcome outcome = exchange(sequence, verb, arguments);
    if (outcome.status == Status::NoPeer || outcome.status == Status::TimedOut ||
        outcome.status == Status::Malformed) {
        // Whatever the peer sends next cannot be trusted to line up; start afresh next time.
        disconnect();
    }
    return outcome;
}

RadioSocketConnection::Outcome RadioSocketConnection::exchange(quint32 sequence,
                                                               const QString& verb,
                                                               const QStringList& arguments) {
    const qint64 deadline = m_clock.nowMs() + m_options.requestTimeoutMs;
    const QByteArray bytes = RadioWireModule::EncodeRequest(sequence, verb, arguments);
    if (m_socket->write(bytes) != bytes.size()) {
        return Outcome{Status::NoPeer, QString(), 0};
    }
    while (m_socket->bytesToWrite() > 0 && m_clock.nowMs() < deadline) {
        if (!m_socket->waitForBytesWritten(
                int(std::clamp<qint64>(deadline - m_clock.nowMs(), 1, WaitSliceMs))) &&
            m_socket->state() != QLocalSocket::ConnectedState) {
            return Outcome{Status::NoPeer, QString(), 0};
        }
    }
    for (;;) {
        while (const std::optional<QByteArray> line = m_lines.takeLine()) {
            const std::optional<RadioWireModule::Reply> reply = RadioWireModule::DecodeReply(*line);
            if (!reply) {
                return Outcome{Status::Malformed, QString(), 0};
            }
            if (reply->sequence != sequence) {
                continue; // the late answer to a request that already timed out
            }
            switch (reply->kind) {
            case RadioWireModule::ReplyKind::Ok:
                return Outcome{Status::Ok, reply->payload, 0};
            case RadioWireModule::ReplyKind::Error:
                return Outcome{Status::Error, QString(), reply->errorCode};
            case RadioWireModule::ReplyKind::Refused:
                return Outcome{Status::Refused, reply->payload, 0};
            }
        }
        if (m_lines.overflowed()) {
            return Outcome{Status::Malformed, QString(), 0};
        }
        if (m_socket->state() != QLocalSocket::ConnectedState && m_socket->bytesAvailable() == 0) {
            return Outcome{Status::NoPeer, QString(), 0};
        }
        const qint64 left = deadline - m_clock.nowMs();
        if (left <= 0) {
            return Outcome{Status::TimedOut, QString(), 0};
        }
        if (m_socket->bytesAvailable() == 0) {
            m_socket->waitForReadyRead(int(std::clamp<qint64>(left, 1, WaitSliceMs)));
        }
        m_lines.append(m_socket->readAll());
    }
}
