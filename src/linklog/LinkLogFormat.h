#pragma once

#include <QByteArray>
#include <QString>

struct LinkLogRecord;

// A link log record as one line of text, in columns so a run of lines reads as a table:
//
//   14:02:11.315  serial 1      read     GROSS        12.55        OK             1 attempt    10
//   ms 14:02:11.341  serial 1      write    DP           7            NAK Received   3 attempts 31
//   ms 14:02:12.402  radio 1A2B    read     NET          0            No response    1 attempt 1002
//   ms
//
// With the bytes, every attempt follows on the same line: "[1] > FE 01 8E 0F 01 < 01 ...".
namespace LinkLogFormat {

QString Line(const LinkLogRecord& record, bool withBytes = false);
// The link and the module on it: "serial 1" (the station), "radio 1A2B" (the radio ID).
QString Where(const LinkLogRecord& record);
// Bytes as upper-case hexadecimal pairs separated by spaces; "-" for none.
QString Hex(const QByteArray& bytes);

} // namespace LinkLogFormat
