#include "radio/LoggedRadioLink.h"

#include "linklog/LinkLogRecord.h"
#include "linklog/LinkLogTap.h"
#include "radio/RadioErrorCodes.h"
#include "radio/RadioRefusedError.h"
#include "util/MonotonicClock.h"

#include <QDateTime>
#include <type_traits>

namespace {

LinkLogRecord Describe(quint32 target, LinkLogRecord::Operation operation, const QString& member) {
    LinkLogRecord record;
    record.link = LinkLogRecord::Link::Radio;
    record.address = target;
    record.operation = operation;
    record.member = member;
    record.attempts = 1; // the base station does its own retrying, out of sight
    return record;
}

} // namespace

LoggedRadioLink::LoggedRadioLink(std::unique_ptr<RadioLink> link, LinkLogTap& tap,
                                 MonotonicClock& clock)
    : m_link(std::move(link))
    , m_tap(tap)
    , m_clock(clock) {}

void LoggedRadioLink::setTarget(quint32 moduleId) {
    m_link->setTarget(moduleId);
    m_target = moduleId;
}

template <typename Call>
auto LoggedRadioLink::logged(LinkLogRecord& record, Call&& call) -> decltype(call()) {
    const qint64 startMs = m_clock.nowMs();
    record.wallTimeMs = QDateTime::currentMSecsSinceEpoch();
    try {
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            publish(record, startMs);
        } else {
            auto result = call();
            if (record.operation == LinkLogRecord::Operation::Read) {
                record.value = DeviceValue(result);
            }
            publish(record, startMs);
            return result;
        }
    } catch (const RadioRefusedError& refusal) {
        // A refused call is a programming fault and goes on to the caller; the log still shows
        // that it was tried, and why it went nowhere.
        record.result = LinkLogRecord::Result::Failed;
        record.outcomeText = QStringLiteral("Refused by the link: ") + refusal.reason();
        record.durationMs = m_clock.nowMs() - startMs;
        m_tap.publish(record);
        throw;
    }
}

void LoggedRadioLink::publish(LinkLogRecord& record, qint64 startMs) {
    record.durationMs = m_clock.nowMs() - startMs;
    const qint32 code = m_link->errorCode();
    if (code == RadioErrorCodes::None) {
        record.result = LinkLogRecord::Result::Succeeded;
        record.outcomeText = QStringLiteral("OK");
    } else {
        record.result = code == RadioErrorCodes::NakResponse ? LinkLogRecord::Result::Refused
                                                             : LinkLogRecord::Result::Failed;
        record.outcomeText = RadioErrorCodes::Describe(code);
        if (record.operation == LinkLogRecord::Operation::Read) {
            record.value = DeviceValue(); // a failed read delivers nothing worth showing
        }
    }
    m_tap.publish(record);
}

QString LoggedRadioLink::modelName() {
    if (!m_tap.active()) {
        return m_link->modelName();
    }
    LinkLogRecord record =
        Describe(m_target, LinkLogRecord::Operation::Read, QStringLiteral("model name"));
    return logged(record, [this] { return m_link->modelName(); });
}

DeviceValue LoggedRadioLink::readParameter(RadioParameter parameter) {
    if (!m_tap.active()) {
        return m_link->readParameter(parameter);
    }
    LinkLogRecord record =
        Describe(m_target, LinkLogRecord::Operation::Read, RadioParameters::Name(parameter));
    return logged(record, [this, parameter] { return m_link->readParameter(parameter); });
}

void LoggedRadioLink::writeParameter(RadioParameter parameter, const DeviceValue& value) {
    if (!m_tap.active()) {
        m_link->writeParameter(parameter, value);
        return;
    }
    LinkLogRecord record =
        Describe(m_target, LinkLogRecord::Operation::Write, RadioParameters::Name(parameter));
    record.value = value;
    logged(record, [this, parameter, &value] { m_link->writeParameter(parameter, value); });
}

void LoggedRadioLink::save() {
    if (!m_tap.active()) {
        m_link->save();
        return;
    }
    LinkLogRecord record =
        Describe(m_target, LinkLogRecord::Operation::Command, QStringLiteral("SAVE"));
    logged(record, [this] { m_link->save(); });
}

void LoggedRadioLink::reset() {
    if (!m_tap.active()) {
        m_link->reset();
        return;
    }
    LinkLogRecord record =
        Describe(m_target, LinkLogRecord::Operation::Command, QStringLiteral("RST"));
    logged(record, [this] { m_link->reset(); });
}
