#pragma once

#include "linklog/LinkLogRecord.h"
#include "serial/Zarnbus2Module.h"

#include <optional>

class LinkLogTap;

// Gathers one Zarnbus 2 transaction for the link log: its attempts as they happen, then the
// record, handed to the link's sinks when the transaction ends. It exists only while a sink is
// installed (Begin gives nothing otherwise), and it does no more during the exchange than keep
// the bytes; names and values are put into the record after the last reply was classified.
class Zarnbus2LogRecorder {
public:
    // Nothing when the link has no sink installed.
    static std::optional<Zarnbus2LogRecorder> Begin(const Zarnbus2Link& link, quint8 station,
                                                    bool isRead, quint8 command, bool isCommand,
                                                    float value);
    // A transaction the link skipped because it had given up: nothing went on the wire.
    static void NotSent(const Zarnbus2Link& link, quint8 station, bool isRead, quint8 command,
                        bool isCommand, float value);
    // The wake-up bytes: no station, no reply. failure is the port's message, "" when sent.
    static void Wake(const Zarnbus2Link& link, const QByteArray& bytes, const QString& failure);

    void attempt(const QByteArray& sent, const QByteArray& received,
                 Zarnbus2Module::ReplyClass replyClass);
    // An attempt the port itself failed; text is the port's own message.
    void portFailure(const QByteArray& sent, const QString& text);

    // The transaction is over: publishes the record. result is what it returned.
    void finish(const DeviceValue& result);
    // A broadcast was sent (and its wait is over): publishes the record.
    void broadcast(const QByteArray& sent);

private:
    Zarnbus2LogRecorder(LinkLogTap& tap, MonotonicClock& clock, quint8 station, bool isRead,
                        quint8 command, bool isCommand, float value);
    static LinkLogRecord Describe(quint8 station, bool isRead, quint8 command, bool isCommand,
                                  float value);
    void publish();

    LinkLogTap& m_tap;
    MonotonicClock& m_clock;
    qint64 m_startMs = 0;
    LinkLogRecord m_record;
    std::optional<Zarnbus2Module::ReplyClass> m_lastClass;
};
