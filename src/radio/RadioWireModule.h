#pragma once

#include "device/DeviceValue.h"
#include "radio/RadioParameters.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

// The local-socket protocol between the tool's radio layer and the simulated base station.
//
// One UTF-8 line per message, ended by "\n", at most MaxLineBytes long, fields separated by
// single spaces. A request is "<sequence> <VERB> [arguments...]"; its reply repeats the sequence:
//   "<sequence> OK [payload]"        the payload is the rest of the line (may hold spaces)
//   "<sequence> ERR <code>"          a radio failure with the link's error code
//   "<sequence> REFUSED <reason>"    the call itself is refused (a programming fault)
// The first request on a connection is "0 HELLO ZEXR58 <version>"; a server that speaks that
// version answers "0 OK ZEXR58 <version>", any other answer ends the connection. Numbers are
// decimal, singles in shortest round-trip form with ".", flags 0 or 1. The server answers every
// request in order; a reply whose sequence is not the one awaited is stale and skipped.
namespace RadioWireModule {

inline constexpr int ProtocolVersion = 1;
inline constexpr const char* Magic = "ZEXR58";
inline constexpr int MaxLineBytes = 512;
inline constexpr int MaxModelNameLength = 64;
// An OK payload or a refusal reason is cut to this many characters, and further, between whole
// characters, where the line would otherwise pass MaxLineBytes.
inline constexpr int MaxTextLength = 256;

// The socket the simulated base station listens on: "zex-r58-" and the user (the uid on Unix,
// the user name on Windows), so two users on one machine each reach their own simulator.
QString DefaultSocketName();

namespace Verb {
inline constexpr const char* Hello = "HELLO";
inline constexpr const char* BaseStationOpen = "BS.OPEN";
inline constexpr const char* BaseStationId = "BS.ID";
inline constexpr const char* BaseStationChannel = "BS.CHANNEL";
inline constexpr const char* BaseStationSetChannel = "BS.SETCHANNEL";
inline constexpr const char* BaseStationCommit = "BS.COMMIT";
inline constexpr const char* BaseStationClose = "BS.CLOSE";
inline constexpr const char* PairStart = "PAIR.START";
inline constexpr const char* PairStatus = "PAIR.STATUS";
inline constexpr const char* PairId = "PAIR.ID";
inline constexpr const char* PairModel = "PAIR.MODEL";
inline constexpr const char* PairAddress = "PAIR.ADDRESS";
inline constexpr const char* PairFinish = "PAIR.FINISH";
inline constexpr const char* LinkModel = "LINK.MODEL";
inline constexpr const char* LinkGet = "LINK.GET";
inline constexpr const char* LinkSet = "LINK.SET";
inline constexpr const char* LinkSave = "LINK.SAVE";
inline constexpr const char* LinkReset = "LINK.RESET";
} // namespace Verb

struct Request {
    quint32 sequence = 0;
    QString verb;
    QStringList arguments;
};

enum class ReplyKind { Ok, Error, Refused };

struct Reply {
    quint32 sequence = 0;
    ReplyKind kind = ReplyKind::Ok;
    QString payload;      // Ok: the rest of the line; Refused: the reason
    qint32 errorCode = 0; // Error: the code
};

// Lines without the terminating "\n"; the encoders add it.
QByteArray EncodeRequest(quint32 sequence, const QString& verb, const QStringList& arguments);
std::optional<Request> DecodeRequest(const QByteArray& line);
QByteArray EncodeOk(quint32 sequence, const QString& payload = QString());
QByteArray EncodeError(quint32 sequence, qint32 errorCode);
QByteArray EncodeRefused(quint32 sequence, const QString& reason);
std::optional<Reply> DecodeReply(const QByteArray& line);

// Text that is safe on one line: control characters become spaces, and it is cut to maxLength.
QString OneLine(const QString& text, int maxLength);

// Whole numbers and IDs: plain decimal digits with an optional leading "-", nothing else.
std::optional<qint64> ParseWhole(const QString& text);
// A value in its parameter's form; a flag is accepted where DOWAKE is written.
QString EncodeValue(const DeviceValue& value, RadioParameters::Form form);
std::optional<DeviceValue> DecodeValue(const QString& text, RadioParameters::Form form);

} // namespace RadioWireModule
