#include "radio/SocketRadioLink.h"

#include "radio/RadioErrorCodes.h"
#include "radio/RadioRefusedError.h"
#include "radio/RadioWireModule.h"

namespace {

using Status = RadioSocketConnection::Status;
namespace Verb = RadioWireModule::Verb;

QString verb(const char* text) {
    return QString::fromLatin1(text);
}

} // namespace

SocketRadioLink::SocketRadioLink(RadioSocketConnection::Options options, MonotonicClock& clock)
    : m_connection(std::move(options), clock) {}

void SocketRadioLink::refuseIfClosed(const QString& operation) const {
    if (m_closed) {
        throw RadioRefusedError(operation, QStringLiteral("the radio link is closed"));
    }
}

bool SocketRadioLink::take(const RadioSocketConnection::Outcome& outcome,
                           const QString& operation) {
    switch (outcome.status) {
    case Status::Ok:
        m_errorCode = RadioErrorCodes::None;
        return true;
    case Status::Error:
        m_errorCode = outcome.errorCode;
        return false;
    case Status::Refused:
        throw RadioRefusedError(operation, outcome.payload);
    case Status::NoPeer:
    case Status::TimedOut:
        m_errorCode = RadioErrorCodes::NoBaseStationResponse;
        return false;
    case Status::Malformed:
        m_errorCode = RadioErrorCodes::InvalidData;
        return false;
    }
    return false;
}

void SocketRadioLink::setTarget(quint32 moduleId) {
    refuseIfClosed(QStringLiteral("setting the target"));
    m_target = moduleId;
}

qint32 SocketRadioLink::errorCode() {
    refuseIfClosed(QStringLiteral("reading the error code"));
    return m_errorCode;
}

QString SocketRadioLink::modelName() {
    const QString operation = QStringLiteral("reading the model name");
    refuseIfClosed(operation);
    const auto outcome = m_connection.request(verb(Verb::LinkModel), {QString::number(m_target)});
    if (!take(outcome, operation)) {
        return QString();
    }
    return RadioWireModule::OneLine(outcome.payload, RadioWireModule::MaxModelNameLength).trimmed();
}

DeviceValue SocketRadioLink::readParameter(RadioParameter parameter) {
    const QString name = RadioParameters::Name(parameter);
    const QString operation = QStringLiteral("reading ") + name;
    refuseIfClosed(operation);
    const auto outcome =
        m_connection.request(verb(Verb::LinkGet), {QString::number(m_target), name});
    if (!take(outcome, operation)) {
        return DeviceValue();
    }
    const std::optional<DeviceValue> value =
        RadioWireModule::DecodeValue(outcome.payload, RadioParameters::Describe(parameter).form);
    if (!value) {
        m_errorCode = RadioErrorCodes::InvalidData;
        return DeviceValue();
    }
    return *value;
}

void SocketRadioLink::writeParameter(RadioParameter parameter, const DeviceValue& value) {
    const RadioParameters::Info& info = RadioParameters::Describe(parameter);
    const QString operation = QStringLiteral("writing ") + QLatin1String(info.name);
    refuseIfClosed(operation);
    if (!info.writable) {
        throw RadioRefusedError(operation, QStringLiteral("the value can only be read"));
    }
    const QString text = RadioWireModule::EncodeValue(value, info.form);
    take(m_connection.request(verb(Verb::LinkSet),
                              {QString::number(m_target), QLatin1String(info.name), text}),
         operation);
}

void SocketRadioLink::save() {
    const QString operation = QStringLiteral("saving the radio settings");
    refuseIfClosed(operation);
    take(m_connection.request(verb(Verb::LinkSave), {QString::number(m_target)}), operation);
}

void SocketRadioLink::reset() {
    const QString operation = QStringLiteral("resetting the module");
    refuseIfClosed(operation);
    take(m_connection.request(verb(Verb::LinkReset), {QString::number(m_target)}), operation);
}

void SocketRadioLink::close() {
    m_connection.disconnect();
    m_closed = true;
}
