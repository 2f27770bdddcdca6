#pragma once

#include "device/DeviceValue.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// One transaction on either link, as the link log keeps it: what was asked of which module, what
// came back, how often it was tried and how long it took. Plain data only: a record is made on
// the thread that talks to the module and read on another, and it is turned into text there.
struct LinkLogRecord {
    enum class Link { Serial, Radio };
    enum class Operation {
        Read,
        Write,
        Command,
        Wake, // the serial bus's unframed wake-up bytes
        Note, // a line of the log's own (outcomeText), not a transaction
    };
    enum class Result {
        Succeeded,
        Refused,   // the module answered with a NAK: it will not take this value or command
        Failed,    // no usable answer after every attempt, or the link itself failed
        NotSent,   // the link had given up earlier; nothing went on the wire
        Broadcast, // station 0: sent to every module, none answers
    };

    // One attempt on the wire: the bytes sent, the bytes received and how they were classified.
    struct Attempt {
        QByteArray sent;
        QByteArray received;
        QString outcome;
    };

    qint64 wallTimeMs = 0; // when the transaction began, ms since the epoch
    Link link = Link::Serial;
    quint32 address = 0; // the station, or the radio module's ID
    Operation operation = Operation::Read;
    QString member;    // the module's name for the parameter or command ("GROSS", "DOKEYTAR")
    DeviceValue value; // sent (a write) or received (a read); empty when there is none
    Result result = Result::Succeeded;
    // "OK" for a value, "ACK" for an acknowledgement, otherwise the link's own text for the
    // failure ("NAK Received", "Checksum Error", "No response" ...).
    QString outcomeText;
    int attempts = 0;
    qint64 durationMs = 0;
    // Each attempt's bytes, for the serial bus; a radio exchange has none of its own to show.
    QList<Attempt> exchanges;
};
