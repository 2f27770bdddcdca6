#include "radio/SocketBaseStation.h"

#include "radio/RadioErrorCodes.h"
#include "radio/RadioRefusedError.h"
#include "radio/RadioWireModule.h"

namespace {

using Status = RadioSocketConnection::Status;
namespace Verb = RadioWireModule::Verb;

qint32 failureCode(const RadioSocketConnection::Outcome& outcome) {
    switch (outcome.status) {
    case Status::Error:
        return outcome.errorCode;
    case Status::Malformed:
        return RadioErrorCodes::InvalidData;
    default:
        return RadioErrorCodes::NoBaseStationResponse;
    }
}

} // namespace

SocketBaseStation::SocketBaseStation(RadioSocketConnection::Options options, MonotonicClock& clock)
    : m_connection(std::move(options), clock) {}

bool SocketBaseStation::run(const char* verb, const QStringList& arguments,
                            const QString& operation) {
    const auto outcome = m_connection.request(QString::fromLatin1(verb), arguments);
    if (outcome.status == Status::Refused) {
        throw RadioRefusedError(operation, outcome.payload);
    }
    if (!outcome.ok()) {
        m_errorFlag = failureCode(outcome);
        return false;
    }
    return true;
}

std::optional<qint64> SocketBaseStation::number(const char* verb, qint64 highest,
                                                const QString& operation) {
    const auto outcome = m_connection.request(QString::fromLatin1(verb));
    if (outcome.status == Status::Refused) {
        throw RadioRefusedError(operation, outcome.payload);
    }
    if (!outcome.ok()) {
        m_errorFlag = failureCode(outcome);
        return std::nullopt;
    }
    const std::optional<qint64> value = RadioWireModule::ParseWhole(outcome.payload);
    if (!value || *value < 0 || *value > highest) {
        m_errorFlag = RadioErrorCodes::InvalidData;
        return std::nullopt;
    }
    return value;
}

bool SocketBaseStation::open() {
    const auto answer =
        number(Verb::BaseStationOpen, 1, QStringLiteral("opening the base station"));
    if (answer && *answer == 1) {
        m_errorFlag = 0;
        return true;
    }
    if (answer) {
        m_errorFlag = RadioErrorCodes::NoBaseStationResponse;
    }
    return false;
}

quint32 SocketBaseStation::baseStationId() {
    return quint32(
        number(Verb::BaseStationId, 0xFFFFFFFFLL, QStringLiteral("reading the base station ID"))
            .value_or(0));
}

quint8 SocketBaseStation::channel() {
    return quint8(
        number(Verb::BaseStationChannel, 255, QStringLiteral("reading the base station channel"))
            .value_or(0));
}

void SocketBaseStation::setChannel(quint8 channel) {
    run(Verb::BaseStationSetChannel, {QString::number(channel)},
        QStringLiteral("setting the base station channel"));
}

void SocketBaseStation::commit() {
    run(Verb::BaseStationCommit, {}, QStringLiteral("committing the base station channel"));
}

void SocketBaseStation::close() {
    if (m_connection.isConnected()) {
        run(Verb::BaseStationClose, {}, QStringLiteral("closing the base station"));
    }
    m_connection.disconnect();
}
