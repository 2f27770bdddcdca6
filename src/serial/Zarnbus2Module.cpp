#include "serial/Zarnbus2Module.h"

#include "serial/SerialPortControl.h"
#include "serial/Zarnbus2LogRecorder.h"
#include "util/MonotonicClock.h"

#include <bit>
#include <cmath>

namespace Zarnbus2Module {
namespace {

constexpr int ValueByteCount = 8;
constexpr int WakeByteCount = 10;
constexpr quint8 ReadFlag = 0x80;
constexpr quint8 EndMarker = 0x80;

void closeIfOpen(Zarnbus2Link& link) {
    try {
        if (link.port.isOpen() || link.portOpenResult > 0) {
            link.portOpenResult = link.port.close();
        }
    } catch (const SerialPortError&) {
        // A port that vanished while open cannot be closed any further; opening again decides.
        link.portOpenResult = 0;
    }
}

bool finishOpen(Zarnbus2Link& link, const QString& portLabel) {
    try {
        link.portOpenResult = link.port.open();
    } catch (const SerialPortError& failure) {
        link.portOpenResult = 0;
        link.openFailureText = failure.message();
        return false;
    }
    if (link.portOpenResult < 1) {
        link.openFailureText = QStringLiteral("%1 could not be opened.").arg(portLabel);
        return false;
    }
    return true;
}

} // namespace

QByteArray EncodeValue(float value) {
    const quint32 bits = std::bit_cast<quint32>(value);
    QByteArray bytes(ValueByteCount, '\0');
    for (int i = 0; i < 4; ++i) {
        const quint8 byte = quint8(bits >> (8 * (3 - i)));
        bytes[2 * i] = char(byte >> 4);
        bytes[2 * i + 1] = char(byte & 0x0F);
    }
    bytes[ValueByteCount - 1] = char(quint8(bytes[ValueByteCount - 1]) | EndMarker);
    return bytes;
}

float DecodeValue(const QByteArray& eightBytes) {
    quint32 bits = 0;
    for (int i = 0; i < 4 && 2 * i + 1 < eightBytes.size(); ++i) {
        const quint32 high = quint8(eightBytes[2 * i]);
        quint32 low = quint8(eightBytes[2 * i + 1]);
        if (2 * i + 1 == ValueByteCount - 1) {
            low &= 0x0F; // the end marker is not part of the value
        }
        bits = (bits << 8) | ((high * 16 + low) & 0xFF);
    }
    return std::bit_cast<float>(bits);
}

quint8 Checksum(const QByteArray& coveredBytes) {
    quint8 x = 0;
    for (const char byte : coveredBytes) {
        x ^= quint8(byte);
    }
    return x;
}

QByteArray ChecksumBytes(const QByteArray& coveredBytes) {
    const quint8 x = Checksum(coveredBytes);
    QByteArray bytes;
    bytes.append(char(x >> 4));
    bytes.append(char(x & 0x0F));
    return bytes;
}

QByteArray BuildRequest(quint8 station, bool isRead, quint8 command, bool isCommand, float value) {
    const bool isWrite = !isRead && !isCommand;
    QByteArray covered;
    covered.append(char(station));
    covered.append(char(isWrite ? command : quint8(command | ReadFlag)));
    if (isWrite) {
        covered.append(EncodeValue(value));
    }
    return QByteArray(1, char(StartByte)) + covered + ChecksumBytes(covered);
}

QByteArray BuildReadReply(quint8 station, float value) {
    const QByteArray covered = QByteArray(1, char(station)) + EncodeValue(value);
    return covered + ChecksumBytes(covered);
}

QByteArray BuildAck(quint8 station) {
    return QByteArray(1, char(station)) + QByteArray(1, char(Ack));
}

QByteArray BuildNak(quint8 station) {
    return QByteArray(1, char(station)) + QByteArray(1, char(Nak));
}

ClassifiedReply ClassifyReply(const QByteArray& reply, quint8 station, bool isRead,
                              int expectedLength) {
    ClassifiedReply result;
    const int length = int(reply.size());
    if (length == 0) {
        result.replyClass = ReplyClass::NoResponse;
    } else if (quint8(reply[0]) != station) {
        result.replyClass = ReplyClass::InvalidStation;
    } else if (isRead && length == expectedLength && length == ReadReplyLength) {
        const QByteArray covered = reply.left(ReadReplyLength - 2);
        if (ChecksumBytes(covered) == reply.right(2)) {
            result.replyClass = ReplyClass::Value;
            result.value = DecodeValue(reply.mid(1, ValueByteCount));
        } else {
            result.replyClass = ReplyClass::BadChecksum;
        }
    } else if (length == AckReplyLength && quint8(reply[1]) == Nak) {
        result.replyClass = ReplyClass::Refused;
    } else if (length == AckReplyLength && quint8(reply[1]) == Ack) {
        result.replyClass = ReplyClass::Acknowledged;
    } else if (length >= 2 && length <= expectedLength) {
        result.replyClass = ReplyClass::InvalidResponse;
    } else {
        result.replyClass = ReplyClass::WrongDataLength;
    }
    return result;
}

QString DescribeReplyClass(ReplyClass replyClass) {
    switch (replyClass) {
    case ReplyClass::Value:
    case ReplyClass::Acknowledged:
        return QString();
    case ReplyClass::NoResponse:
        return QStringLiteral("No Response");
    case ReplyClass::InvalidStation:
        return QStringLiteral("Invalid Station Response");
    case ReplyClass::BadChecksum:
        return QStringLiteral("Checksum Error");
    case ReplyClass::Refused:
        return QStringLiteral("NAK Received");
    case ReplyClass::InvalidResponse:
        return QStringLiteral("Invalid Response");
    case ReplyClass::WrongDataLength:
        return QStringLiteral("Wrong Data Length");
    }
    return QString();
}

QByteArray Exchange(Zarnbus2Link& link, const QByteArray& frame, int expectedLength,
                    int timeoutMs) {
    link.port.resetInput();
    link.port.write(frame);
    if (expectedLength <= 0) {
        return QByteArray();
    }
    return link.port.read(expectedLength, timeoutMs);
}

DeviceValue ZarnbusTransaction(Zarnbus2Link& link, quint8 station, bool isRead, quint8 command,
                               bool isCommand, float value, float timeoutSeconds,
                               qint16& RetryCounter, qint16 maxRetries, float lastValue) {
    if (RetryCounter >= maxRetries) {
        if (!link.PendingErrorText.isEmpty()) {
            link.PendingErrorText = QStringLiteral("No Response");
        }
        Zarnbus2LogRecorder::NotSent(link, station, isRead, command, isCommand, value);
        return DeviceValue(lastValue);
    }

    const QByteArray frame = BuildRequest(station, isRead, command, isCommand, value);
    const int expectedLength = isRead ? ReadReplyLength : AckReplyLength;
    const int timeoutMs = int(std::lround(double(timeoutSeconds) * 1000.0));
    // Keeps each attempt's bytes while a sink is installed; the record is built and handed over
    // only once the transaction has its result, so the log never stretches an exchange.
    std::optional<Zarnbus2LogRecorder> record =
        Zarnbus2LogRecorder::Begin(link, station, isRead, command, isCommand, value);

    for (;;) {
        try {
            if (station == 0) {
                Exchange(link, frame, 0, 0);
                link.clock.waitMs(BroadcastWaitMs);
                RetryCounter = 0;
                if (record) {
                    record->broadcast(frame);
                }
                return DeviceValue(QString());
            }
            const QByteArray reply = Exchange(link, frame, expectedLength, timeoutMs);
            const ClassifiedReply outcome = ClassifyReply(reply, station, isRead, expectedLength);
            if (record) {
                record->attempt(frame, reply, outcome.replyClass);
            }
            if (outcome.succeeded()) {
                RetryCounter = 0;
                link.PendingErrorText.clear();
                const DeviceValue result = outcome.replyClass == ReplyClass::Value
                                               ? DeviceValue(outcome.value)
                                               : DeviceValue();
                if (record) {
                    record->finish(result);
                }
                return result;
            }
            link.PendingErrorText = DescribeReplyClass(outcome.replyClass);
        } catch (const SerialPortError& failure) {
            link.PendingErrorText = failure.message();
            if (record) {
                record->portFailure(frame, failure.message());
            }
        }

        if (RetryCounter >= maxRetries) {
            link.PendingErrorText = QStringLiteral("No Response");
            if (record) {
                record->finish(DeviceValue(lastValue));
            }
            return DeviceValue(lastValue);
        }
        ++RetryCounter;
        link.PendingErrorText.clear();
    }
}

bool OpenPort(Zarnbus2Link& link, int portNumber, int baudRate) {
    link.openFailureText.clear();
    closeIfOpen(link);
    link.port.setPortNumber(portNumber);
    link.port.setBaudRate(baudRate);
    return finishOpen(link, QStringLiteral("COM%1").arg(portNumber));
}

bool OpenPortByName(Zarnbus2Link& link, const QString& devicePath, int baudRate) {
    link.openFailureText.clear();
    closeIfOpen(link);
    link.port.setPortName(devicePath);
    link.port.setBaudRate(baudRate);
    return finishOpen(link, devicePath);
}

void ClosePort(Zarnbus2Link& link) {
    // The second lets the last bytes leave the port; a port that was never opened has none.
    if (link.portOpenResult <= 0) {
        return;
    }
    link.clock.waitMs(1000, true);
    {
        try {
            link.portOpenResult = link.port.close();
        } catch (const SerialPortError&) {
            link.portOpenResult = 0;
        }
    }
}

void WakeBus(Zarnbus2Link& link) {
    const QByteArray wake(WakeByteCount, '\0');
    QString failure;
    try {
        link.port.write(wake);
    } catch (const SerialPortError& error) {
        // Waking expects no reply; a port that cannot write shows up in the next transaction.
        failure = error.message();
    }
    Zarnbus2LogRecorder::Wake(link, wake, failure);
}

} // namespace Zarnbus2Module
