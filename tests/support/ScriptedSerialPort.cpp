#include "support/ScriptedSerialPort.h"

#include "util/MonotonicClock.h"

int ScriptedSerialPort::open() {
    ++openCount;
    if (m_openFailure) {
        throw SerialPortError(*m_openFailure);
    }
    m_open = true;
    return 1;
}

int ScriptedSerialPort::close() {
    ++closeCount;
    m_open = false;
    return 0;
}

void ScriptedSerialPort::write(const QByteArray& bytes) {
    writes.append(bytes);
}

QByteArray ScriptedSerialPort::read(int byteCount, int timeoutMs) {
    readLengths.append(byteCount);
    readTimeouts.append(timeoutMs);
    QByteArray reply;
    if (!m_replies.isEmpty()) {
        const Step step = m_replies.takeFirst();
        if (step.failure) {
            throw SerialPortError(*step.failure);
        }
        reply = step.reply;
    } else if (m_responder && !writes.isEmpty()) {
        reply = m_responder(writes.constLast());
    }
    if (reply.size() < byteCount && m_clock) {
        m_clock->advance(timeoutMs);
    }
    return reply;
}
