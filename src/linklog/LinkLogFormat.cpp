#include "linklog/LinkLogFormat.h"

#include "linklog/LinkLogRecord.h"
#include "radio/RadioIdModule.h"

#include <QDateTime>
#include <QStringList>

namespace LinkLogFormat {
namespace {

// Wide enough for the longest entry of each column: "radio FFFFFF", "command", "SERIALNUMBER",
// "Invalid Station Response".
constexpr int WhereWidth = 12;
constexpr int OperationWidth = 7;
constexpr int MemberWidth = 12;
constexpr int ValueWidth = 12;
constexpr int OutcomeWidth = 24;
constexpr int AttemptsWidth = 10;
constexpr int DurationWidth = 7;

QString OperationName(LinkLogRecord::Operation operation) {
    switch (operation) {
    case LinkLogRecord::Operation::Read:
        return QStringLiteral("read");
    case LinkLogRecord::Operation::Write:
        return QStringLiteral("write");
    case LinkLogRecord::Operation::Command:
        return QStringLiteral("command");
    case LinkLogRecord::Operation::Wake:
        return QStringLiteral("wake");
    case LinkLogRecord::Operation::Note:
        break;
    }
    return QString();
}

QString Attempts(int attempts) {
    return attempts == 1 ? QStringLiteral("1 attempt")
                         : QStringLiteral("%1 attempts").arg(attempts);
}

QString Column(const QString& text, int width) {
    return text.leftJustified(width) + QLatin1Char(' ');
}

} // namespace

QString Where(const LinkLogRecord& record) {
    return record.link == LinkLogRecord::Link::Serial
               ? QStringLiteral("serial %1").arg(record.address)
               : QStringLiteral("radio ") + RadioIdModule::ToHex(record.address);
}

QString Hex(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        return QStringLiteral("-");
    }
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString Line(const LinkLogRecord& record, bool withBytes) {
    const QString time =
        QDateTime::fromMSecsSinceEpoch(record.wallTimeMs).toString(QStringLiteral("hh:mm:ss.zzz"));
    if (record.operation == LinkLogRecord::Operation::Note) {
        return time + QStringLiteral("  ") + record.outcomeText;
    }
    QString line = time + QStringLiteral("  ") + Column(Where(record), WhereWidth) +
                   Column(OperationName(record.operation), OperationWidth) +
                   Column(record.member, MemberWidth) + Column(record.value.toText(), ValueWidth) +
                   Column(record.outcomeText, OutcomeWidth) +
                   Column(Attempts(record.attempts), AttemptsWidth) +
                   QStringLiteral("%1 ms").arg(record.durationMs, DurationWidth - 3);

    // Why an attempt before the last one failed is not in the outcome column; say it.
    if (record.exchanges.size() > 1) {
        QStringList earlier;
        for (qsizetype i = 0; i + 1 < record.exchanges.size(); ++i) {
            earlier.append(record.exchanges[i].outcome);
        }
        line += QStringLiteral("  after ") + earlier.join(QStringLiteral(", "));
    }
    if (withBytes) {
        for (qsizetype i = 0; i < record.exchanges.size(); ++i) {
            const LinkLogRecord::Attempt& attempt = record.exchanges[i];
            line += QStringLiteral("  [%1] > %2").arg(i + 1).arg(Hex(attempt.sent));
            if (record.operation != LinkLogRecord::Operation::Wake &&
                record.result != LinkLogRecord::Result::Broadcast) {
                line += QStringLiteral(" < ") + Hex(attempt.received);
            }
        }
    }
    return line;
}

} // namespace LinkLogFormat
