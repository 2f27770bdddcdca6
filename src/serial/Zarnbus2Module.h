#pragma once

#include "device/DeviceValue.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class LinkLogTap;
class MonotonicClock;
class SerialPortControl;

// The serial link shared by every serial driver in the program: the one port and the error text
// of the last transaction. The main window owns one for the whole run; tests make their own.
struct Zarnbus2Link {
    Zarnbus2Link(SerialPortControl& port, MonotonicClock& clock)
        : port(port)
        , clock(clock) {}

    SerialPortControl& port;
    MonotonicClock& clock;
    // "" after a transaction that succeeded, "No Response" after one that gave up.
    QString PendingErrorText;
    // What the port's open operation returned; 1 or more means open.
    int portOpenResult = 0;
    // Why the last OpenPort failed, naming the port and device, for the user; "" when it opened.
    QString openFailureText;
    // Where the link log's records go; null, or a tap without sinks, costs a transaction nothing.
    LinkLogTap* log = nullptr;
};

// Zarnbus 2: frames, checksum, the one transaction routine with its retries, and the port-level
// operations (open, close, wake).
namespace Zarnbus2Module {

inline constexpr quint8 StartByte = 0xFE;
inline constexpr quint8 Ack = 0x06;
inline constexpr quint8 Nak = 0x15;
inline constexpr int ReadReplyLength = 11;
inline constexpr int AckReplyLength = 2;
inline constexpr int BroadcastWaitMs = 200;

// A value as eight nibble bytes, most significant first, end marker in bit 7 of the last.
QByteArray EncodeValue(float value);
// The inverse; only the low four bits of the last byte count. Needs at least 8 bytes.
float DecodeValue(const QByteArray& eightBytes);
quint8 Checksum(const QByteArray& coveredBytes);
// The checksum as sent: high nibble, then low nibble.
QByteArray ChecksumBytes(const QByteArray& coveredBytes);

// Both flags false is a write (13 bytes, carrying the value); otherwise a 5-byte request whose
// command has bit 7 set. Read and command requests differ only in the reply expected.
QByteArray BuildRequest(quint8 station, bool isRead, quint8 command, bool isCommand, float value);
QByteArray BuildReadReply(quint8 station, float value);
QByteArray BuildAck(quint8 station);
QByteArray BuildNak(quint8 station);

enum class ReplyClass {
    Value,           // a read reply with a good checksum
    Acknowledged,    // station, 0x06
    NoResponse,      // nothing arrived
    InvalidStation,  // first byte is another station
    BadChecksum,     // right length for a read, checksum differs
    Refused,         // station, 0x15 (NAK)
    InvalidResponse, // 2 to the expected length, but no known shape
    WrongDataLength, // longer than expected, or a single byte
};

struct ClassifiedReply {
    ReplyClass replyClass = ReplyClass::NoResponse;
    float value = 0.0f; // for ReplyClass::Value
    bool succeeded() const {
        return replyClass == ReplyClass::Value || replyClass == ReplyClass::Acknowledged;
    }
};

// Classifies a reply in the protocol's fixed order. Any length and content is safe.
ClassifiedReply ClassifyReply(const QByteArray& reply, quint8 station, bool isRead,
                              int expectedLength);
QString DescribeReplyClass(ReplyClass replyClass);

// One attempt on the wire: discard pending input, write the frame, and (unless expectedLength is
// 0) read up to expectedLength bytes within timeoutMs. Port failures raise SerialPortError.
QByteArray Exchange(Zarnbus2Link& link, const QByteArray& frame, int expectedLength, int timeoutMs);

// The transaction with its retry and error rules. Returns the decoded value of a read; empty for
// an acknowledged write or command (and a read merely acknowledged); lastValue when it gave up or
// did not run because RetryCounter had reached maxRetries; empty text for a broadcast (station 0).
DeviceValue ZarnbusTransaction(Zarnbus2Link& link, quint8 station, bool isRead, quint8 command,
                               bool isCommand, float value, float timeoutSeconds,
                               qint16& RetryCounter, qint16 maxRetries, float lastValue);

// Closes the port first when it is still open from an earlier connection. On failure the reason
// is in link.openFailureText.
bool OpenPort(Zarnbus2Link& link, int portNumber, int baudRate);
bool OpenPortByName(Zarnbus2Link& link, const QString& devicePath, int baudRate);
// Waits a second (window events keep running) so the last bytes leave, then closes the port;
// a port that is not open is left alone at once.
void ClosePort(Zarnbus2Link& link);
// Ten 0x00 bytes, unframed, nothing read: sleeping modules wake on them.
void WakeBus(Zarnbus2Link& link);

} // namespace Zarnbus2Module
