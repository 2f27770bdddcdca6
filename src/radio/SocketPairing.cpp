#include "radio/SocketPairing.h"

#include "radio/RadioRefusedError.h"
#include "radio/RadioWireModule.h"

#include <limits>

namespace {

namespace Verb = RadioWireModule::Verb;

QString flag(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

SocketPairing::SocketPairing(RadioSocketConnection::Options options, MonotonicClock& clock)
    : m_connection(std::move(options), clock) {}

RadioSocketConnection::Outcome SocketPairing::ask(const char* verb, const QStringList& arguments,
                                                  const QString& operation) {
    auto outcome = m_connection.request(QString::fromLatin1(verb), arguments);
    if (outcome.status == RadioSocketConnection::Status::Refused) {
        throw RadioRefusedError(operation, outcome.payload);
    }
    return outcome;
}

void SocketPairing::openInterface() {
    m_connection.ensureConnected();
}

bool SocketPairing::interfacePresent(qint32, qint32) {
    return m_connection.isConnected();
}

void SocketPairing::startPairing(qint32 mode, bool first, bool second, qint32 seconds) {
    // A start that fails shows in the status, which then reads as a failure.
    ask(Verb::PairStart,
        {QString::number(mode), flag(first), flag(second), QString::number(seconds)},
        QStringLiteral("starting pairing"));
}

qint32 SocketPairing::pairingStatus() {
    const auto outcome = ask(Verb::PairStatus, {}, QStringLiteral("reading the pairing status"));
    if (!outcome.ok()) {
        return StatusUnreachable;
    }
    const std::optional<qint64> status = RadioWireModule::ParseWhole(outcome.payload);
    if (!status || *status < std::numeric_limits<qint32>::min() ||
        *status > std::numeric_limits<qint32>::max()) {
        return StatusUnreachable;
    }
    return qint32(*status);
}

quint32 SocketPairing::pairedId() {
    const auto outcome = ask(Verb::PairId, {}, QStringLiteral("reading the paired ID"));
    const std::optional<qint64> id =
        outcome.ok() ? RadioWireModule::ParseWhole(outcome.payload) : std::nullopt;
    if (!id || *id < 0 || *id > std::numeric_limits<quint32>::max()) {
        return 0;
    }
    return quint32(*id);
}

QString SocketPairing::modelNameOfId(qint32 mode, quint32 moduleId) {
    const auto outcome = ask(Verb::PairModel, {QString::number(mode), QString::number(moduleId)},
                             QStringLiteral("reading a module's model name"));
    if (!outcome.ok()) {
        return QString();
    }
    return RadioWireModule::OneLine(outcome.payload, RadioWireModule::MaxModelNameLength).trimmed();
}

void SocketPairing::addressModule(qint32 mode, quint32 moduleId) {
    // Contact that fails here shows as the link's error code on the next exchange.
    ask(Verb::PairAddress, {QString::number(mode), QString::number(moduleId)},
        QStringLiteral("addressing a module"));
}

void SocketPairing::finish() {
    if (m_connection.isConnected()) {
        ask(Verb::PairFinish, {}, QStringLiteral("finishing pairing"));
    }
    m_connection.disconnect();
}
