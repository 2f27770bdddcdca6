#pragma once

#include "serial/SerialPortControl.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class ManualClock;

// A serial port that answers from a script: each read takes the next scripted reply, or asks the
// responder, and an unanswered read costs its timeout on the manual clock.
class ScriptedSerialPort : public SerialPortControl {
public:
    explicit ScriptedSerialPort(ManualClock* clock = nullptr)
        : m_clock(clock) {}

    // Replies are consumed one per read, in order.
    void queueReply(const QByteArray& reply) { m_replies.append(Step{reply, {}}); }
    void queueSilence() { m_replies.append(Step{QByteArray(), {}}); }
    // The next read raises SerialPortError with this text.
    void queuePortFailure(const QString& text) { m_replies.append(Step{QByteArray(), text}); }
    // Used when the queue is empty: gets the last frame written, returns the reply.
    void setResponder(std::function<QByteArray(const QByteArray&)> responder) {
        m_responder = std::move(responder);
    }
    void failOpen(const QString& text) { m_openFailure = text; }

    QList<QByteArray> writes; // every write, in order
    QList<int> readLengths;   // byte counts asked for
    QList<int> readTimeouts;  // timeouts asked for, in ms
    int resetInputCount = 0;
    int openCount = 0;
    int closeCount = 0;
    int portNumber = 0;
    QString portName;
    int baudRate = 0;

    void setPortNumber(int number) override { portNumber = number; }
    void setPortName(const QString& name) override { portName = name; }
    void setBaudRate(int baud) override { baudRate = baud; }
    int open() override;
    int close() override;
    bool isOpen() const override { return m_open; }
    void resetInput() override { ++resetInputCount; }
    void write(const QByteArray& bytes) override;
    QByteArray read(int byteCount, int timeoutMs) override;

private:
    struct Step {
        QByteArray reply;
        std::optional<QString> failure;
    };
    ManualClock* m_clock;
    QList<Step> m_replies;
    std::function<QByteArray(const QByteArray&)> m_responder;
    std::optional<QString> m_openFailure;
    bool m_open = false;
};
