#pragma once

#include <QString>
#include <QtGlobal>

// The radio link's error codes. 0 is success; our own link knows four failures and their texts.
// Any other code comes from elsewhere and reads "Unknown error code: " and the number.
namespace RadioErrorCodes {

inline constexpr qint32 None = 0;
inline constexpr qint32 NoBaseStationResponse = 1; // no simulator, vanished, or no answer in time
inline constexpr qint32 NoResponse = 2;  // module out of reach: absent, off, other channel
inline constexpr qint32 NakResponse = 3; // the module refused the value
inline constexpr qint32 InvalidData = 4; // a reply that made no sense

// "" for 0, the known text for 1 to 4, otherwise "Unknown error code: " + code in decimal.
QString Describe(qint32 code);

} // namespace RadioErrorCodes
