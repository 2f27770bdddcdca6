#include "radio/RadioErrorCodes.h"

namespace RadioErrorCodes {

QString Describe(qint32 code) {
    switch (code) {
    case None:
        return QString();
    case NoBaseStationResponse:
        return QStringLiteral("No response from base station");
    case NoResponse:
        return QStringLiteral("No response");
    case NakResponse:
        return QStringLiteral("NAK response");
    case InvalidData:
        return QStringLiteral("Invalid data");
    default:
        return QStringLiteral("Unknown error code: ") + QString::number(code);
    }
}

} // namespace RadioErrorCodes
