#include "radio/RadioWireModule.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(Q_OS_WIN)
#include <QRegularExpression>
#elif defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace RadioWireModule {
namespace {

QByteArray line(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.append('\n');
    return bytes;
}

std::optional<quint32> parseSequence(const QString& text) {
    const std::optional<qint64> value = ParseWhole(text);
    if (!value || *value < 0 || *value > std::numeric_limits<quint32>::max()) {
        return std::nullopt;
    }
    return quint32(*value);
}

bool isVerbText(const QString& text) {
    if (text.isEmpty() || text.size() > 32) {
        return false;
    }
    for (const QChar c : text) {
        if (!((c >= u'A' && c <= u'Z') || c == u'.')) {
            return false;
        }
    }
    return true;
}

// "<head> <payload>" as a line. The payload is made one line of at most MaxTextLength
// characters and then cut, between whole characters, so the line, its end included, stays within
// MaxLineBytes however many bytes its characters take in UTF-8.
QByteArray lineWithPayload(const QString& head, const QString& payload) {
    QByteArray bytes = head.toUtf8();
    if (!payload.isEmpty()) {
        bytes.append(' ');
        const QByteArray text = OneLine(payload, MaxTextLength).toUtf8();
        qsizetype fits = std::min<qsizetype>(text.size(), MaxLineBytes - 1 - bytes.size());
        // A continuation byte just past the cut means the cut falls inside a character.
        while (fits > 0 && fits < text.size() && (quint8(text[fits]) & 0xC0) == 0x80) {
            --fits;
        }
        bytes.append(text.left(fits));
    }
    bytes.append('\n');
    return bytes;
}

} // namespace

QString DefaultSocketName() {
#if defined(Q_OS_WIN)
    QString user = qEnvironmentVariable("USERNAME");
    user.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")));
    return QStringLiteral("zex-r58-") + (user.isEmpty() ? QStringLiteral("user") : user);
#elif defined(Q_OS_UNIX)
    return QStringLiteral("zex-r58-") + QString::number(uint(::getuid()));
#else
    return QStringLiteral("zex-r58");
#endif
}

QByteArray EncodeRequest(quint32 sequence, const QString& verb, const QStringList& arguments) {
    QStringList fields{QString::number(sequence), verb};
    fields += arguments;
    return line(fields.join(QLatin1Char(' ')));
}

std::optional<Request> DecodeRequest(const QByteArray& bytes) {
    if (bytes.size() > MaxLineBytes) {
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(bytes);
    const QStringList fields = text.split(QLatin1Char(' '));
    if (fields.size() < 2 || fields.size() > 8) {
        return std::nullopt;
    }
    const std::optional<quint32> sequence = parseSequence(fields[0]);
    if (!sequence || !isVerbText(fields[1])) {
        return std::nullopt;
    }
    for (const QString& field : fields) {
        if (field.isEmpty()) {
            return std::nullopt; // doubled or trailing spaces
        }
    }
    return Request{*sequence, fields[1], fields.mid(2)};
}

QByteArray EncodeOk(quint32 sequence, const QString& payload) {
    return lineWithPayload(QString::number(sequence) + QStringLiteral(" OK"), payload);
}

QByteArray EncodeError(quint32 sequence, qint32 errorCode) {
    return line(QString::number(sequence) + QStringLiteral(" ERR ") + QString::number(errorCode));
}

QByteArray EncodeRefused(quint32 sequence, const QString& reason) {
    return lineWithPayload(QString::number(sequence) + QStringLiteral(" REFUSED"), reason);
}

std::optional<Reply> DecodeReply(const QByteArray& bytes) {
    if (bytes.size() > MaxLineBytes) {
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(bytes);
    const qsizetype firstSpace = text.indexOf(QLatin1Char(' '));
    if (firstSpace <= 0) {
        return std::nullopt;
    }
    const std::optional<quint32> sequence = parseSequence(text.left(firstSpace));
    if (!sequence) {
        return std::nullopt;
    }
    const QString rest = text.mid(firstSpace + 1);
    const qsizetype kindEnd = rest.indexOf(QLatin1Char(' '));
    const QString kind = kindEnd < 0 ? rest : rest.left(kindEnd);
    const QString payload = kindEnd < 0 ? QString() : rest.mid(kindEnd + 1);
    Reply reply;
    reply.sequence = *sequence;
    if (kind == QLatin1String("OK")) {
        reply.kind = ReplyKind::Ok;
        reply.payload = payload;
    } else if (kind == QLatin1String("ERR")) {
        const std::optional<qint64> code = ParseWhole(payload);
        if (!code || *code == 0 || *code < std::numeric_limits<qint32>::min() ||
            *code > std::numeric_limits<qint32>::max()) {
            return std::nullopt;
        }
        reply.kind = ReplyKind::Error;
        reply.errorCode = qint32(*code);
    } else if (kind == QLatin1String("REFUSED")) {
        reply.kind = ReplyKind::Refused;
        reply.payload = payload;
    } else {
        return std::nullopt;
    }
    return reply;
}

QString OneLine(const QString& text, int maxLength) {
    QString result = text.left(maxLength);
    if (!result.isEmpty() && result.back().isHighSurrogate()) {
        result.chop(1); // half a character would reach the peer as a replacement character
    }
    for (QChar& c : result) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            c = QLatin1Char(' ');
        }
    }
    return result;
}

std::optional<qint64> ParseWhole(const QString& text) {
    if (text.isEmpty() || text.size() > 20) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!(c >= u'0' && c <= u'9') && !(i == 0 && c == u'-' && text.size() > 1)) {
            return std::nullopt;
        }
    }
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

QString EncodeValue(const DeviceValue& value, RadioParameters::Form form) {
    if (value.kind() == DeviceValue::Kind::Boolean) {
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    }
    if (form == RadioParameters::Form::Single) {
        return QString::number(double(value.toSingle()), 'g', 9);
    }
    return QString::number(value.toWhole());
}

std::optional<DeviceValue> DecodeValue(const QString& text, RadioParameters::Form form) {
    using Form = RadioParameters::Form;
    if (form == Form::Single) {
        if (text.isEmpty() || text.size() > 32) {
            return std::nullopt;
        }
        for (const QChar c : text) {
            if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+' || c == u'e' ||
                  c == u'E')) {
                return std::nullopt; // no "nan", "inf", hex floats or locale separators
            }
        }
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (!ok || !std::isfinite(number) ||
            std::fabs(number) > double(std::numeric_limits<float>::max())) {
            return std::nullopt;
        }
        return DeviceValue(float(number));
    }
    const std::optional<qint64> whole = ParseWhole(text);
    if (!whole) {
        return std::nullopt;
    }
    qint64 lowest = 0;
    qint64 highest = 0;
    switch (form) {
    case Form::Byte:
        highest = 255;
        break;
    case Form::Whole16:
        highest = 65535;
        break;
    case Form::Whole32:
        lowest = std::numeric_limits<qint32>::min();
        highest = std::numeric_limits<qint32>::max();
        break;
    case Form::Serial:
        highest = std::numeric_limits<quint32>::max();
        break;
    case Form::Single:
        break;
    }
    if (*whole < lowest || *whole > highest) {
        return std::nullopt;
    }
    return DeviceValue(*whole);
}

} // namespace RadioWireModule
