#include "serial/Zarnbus2LogRecorder.h"

#include "linklog/LinkLogTap.h"
#include "serial/ZarnbusNames.h"
#include "util/MonotonicClock.h"

#include <QDateTime>

namespace {

using Zarnbus2Module::ReplyClass;

LinkLogTap* ActiveTap(const Zarnbus2Link& link) {
    return link.log && link.log->active() ? link.log : nullptr;
}

QString OutcomeText(ReplyClass replyClass) {
    switch (replyClass) {
    case ReplyClass::Value:
        return QStringLiteral("OK");
    case ReplyClass::Acknowledged:
        return QStringLiteral("ACK");
    default:
        return Zarnbus2Module::DescribeReplyClass(replyClass);
    }
}

} // namespace

std::optional<Zarnbus2LogRecorder> Zarnbus2LogRecorder::Begin(const Zarnbus2Link& link,
                                                              quint8 station, bool isRead,
                                                              quint8 command, bool isCommand,
                                                              float value) {
    LinkLogTap* tap = ActiveTap(link);
    if (!tap) {
        return std::nullopt;
    }
    return Zarnbus2LogRecorder(*tap, link.clock, station, isRead, command, isCommand, value);
}

void Zarnbus2LogRecorder::NotSent(const Zarnbus2Link& link, quint8 station, bool isRead,
                                  quint8 command, bool isCommand, float value) {
    LinkLogTap* tap = ActiveTap(link);
    if (!tap) {
        return;
    }
    LinkLogRecord record = Describe(station, isRead, command, isCommand, value);
    record.wallTimeMs = QDateTime::currentMSecsSinceEpoch();
    if (isRead) {
        record.value = DeviceValue(); // the driver answers from its cache; nothing was read
    }
    record.result = LinkLogRecord::Result::NotSent;
    record.outcomeText = QStringLiteral("Not sent: link in error");
    tap->publish(record);
}

void Zarnbus2LogRecorder::Wake(const Zarnbus2Link& link, const QByteArray& bytes,
                               const QString& failure) {
    LinkLogTap* tap = ActiveTap(link);
    if (!tap) {
        return;
    }
    LinkLogRecord record;
    record.wallTimeMs = QDateTime::currentMSecsSinceEpoch();
    record.operation = LinkLogRecord::Operation::Wake;
    record.member = QStringLiteral("WAKE");
    record.result =
        failure.isEmpty() ? LinkLogRecord::Result::Broadcast : LinkLogRecord::Result::Failed;
    record.outcomeText = failure.isEmpty() ? QStringLiteral("Sent") : failure;
    record.attempts = 1;
    record.exchanges.append(LinkLogRecord::Attempt{bytes, QByteArray(), record.outcomeText});
    tap->publish(record);
}

Zarnbus2LogRecorder::Zarnbus2LogRecorder(LinkLogTap& tap, MonotonicClock& clock, quint8 station,
                                         bool isRead, quint8 command, bool isCommand, float value)
    : m_tap(tap)
    , m_clock(clock)
    , m_startMs(clock.nowMs())
    , m_record(Describe(station, isRead, command, isCommand, value)) {
    m_record.wallTimeMs = QDateTime::currentMSecsSinceEpoch();
}

LinkLogRecord Zarnbus2LogRecorder::Describe(quint8 station, bool isRead, quint8 command,
                                            bool isCommand, float value) {
    LinkLogRecord record;
    record.link = LinkLogRecord::Link::Serial;
    record.address = station;
    if (isRead) {
        record.operation = LinkLogRecord::Operation::Read;
        record.member = ZarnbusNames::ParameterName(command);
    } else if (isCommand) {
        record.operation = LinkLogRecord::Operation::Command;
        record.member = ZarnbusNames::CommandName(command);
    } else {
        record.operation = LinkLogRecord::Operation::Write;
        record.member = ZarnbusNames::ParameterName(command);
        record.value = DeviceValue(value);
    }
    return record;
}

void Zarnbus2LogRecorder::attempt(const QByteArray& sent, const QByteArray& received,
                                  ReplyClass replyClass) {
    m_record.exchanges.append(LinkLogRecord::Attempt{sent, received, OutcomeText(replyClass)});
    m_lastClass = replyClass;
}

void Zarnbus2LogRecorder::portFailure(const QByteArray& sent, const QString& text) {
    m_record.exchanges.append(LinkLogRecord::Attempt{sent, QByteArray(), text});
    m_lastClass.reset();
}

void Zarnbus2LogRecorder::finish(const DeviceValue& result) {
    if (m_lastClass == ReplyClass::Value || m_lastClass == ReplyClass::Acknowledged) {
        m_record.result = LinkLogRecord::Result::Succeeded;
        if (m_record.operation == LinkLogRecord::Operation::Read) {
            m_record.value = result;
        }
    } else {
        m_record.result = m_lastClass == ReplyClass::Refused ? LinkLogRecord::Result::Refused
                                                             : LinkLogRecord::Result::Failed;
    }
    publish();
}

void Zarnbus2LogRecorder::broadcast(const QByteArray& sent) {
    m_record.exchanges.append(
        LinkLogRecord::Attempt{sent, QByteArray(), QStringLiteral("Broadcast, no reply")});
    m_record.result = LinkLogRecord::Result::Broadcast;
    publish();
}

void Zarnbus2LogRecorder::publish() {
    m_record.attempts = int(m_record.exchanges.size());
    m_record.outcomeText =
        m_record.exchanges.isEmpty() ? QString() : m_record.exchanges.last().outcome;
    m_record.durationMs = m_clock.nowMs() - m_startMs;
    m_tap.publish(m_record);
}
