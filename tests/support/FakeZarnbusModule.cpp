#include "support/FakeZarnbusModule.h"

#include "serial/Zarnbus2Module.h"

QByteArray FakeZarnbusModule::respond(const QByteArray& request) {
    if (request.size() < 5 || quint8(request[0]) != Zarnbus2Module::StartByte ||
        quint8(request[1]) != m_station) {
        return QByteArray();
    }
    const quint8 command = quint8(request[2]);
    if (command & 0x80) {
        const quint8 number = command & 0x7F;
        if (number >= 100) {
            // Numbers 100 and up are commands; a real module knows which ones it takes.
            receivedCommands.append(number);
            return Zarnbus2Module::BuildAck(m_station);
        }
        receivedReads.append(number);
        return Zarnbus2Module::BuildReadReply(m_station, values.value(number));
    }
    const float value = Zarnbus2Module::DecodeValue(request.mid(3, 8));
    receivedWrites.append({command, value});
    values[command] = value;
    return Zarnbus2Module::BuildAck(m_station);
}

QByteArray FakeZarnbusModule::respondToStream(QByteArray& unconsumed) {
    QByteArray replies;
    for (;;) {
        const qsizetype start = unconsumed.indexOf(char(Zarnbus2Module::StartByte));
        if (start < 0) {
            unconsumed.clear();
            return replies;
        }
        unconsumed.remove(0, start);
        if (unconsumed.size() < 3) {
            return replies;
        }
        const int length = (quint8(unconsumed[2]) & 0x80) ? 5 : 13; // a read or command : a write
        if (unconsumed.size() < length) {
            return replies;
        }
        replies += respond(unconsumed.left(length));
        unconsumed.remove(0, length);
    }
}
