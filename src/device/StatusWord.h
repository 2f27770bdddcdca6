#pragma once

#include "device/DeviceValue.h"

#include <QtGlobal>

// The module's status word: net, hold, battery low and overload flags, one unit flag and the
// number of decimal places.
namespace StatusWord {

inline constexpr qint64 NetBit = 1;
inline constexpr qint64 HoldBit = 2;
inline constexpr qint64 BatteryLowBit = 4;
inline constexpr qint64 OverloadBit = 8;
inline constexpr qint64 UnitBits = 240; // 16 kg, 32 kN, 64 T, 128 lb

// The unit flags read back as 0, 1, 3 and 7 (not 0-3); -1 when no flag is set.
inline qint64 UnitModeOf(qint64 status) {
    return (status & UnitBits) / 16 - 1;
}

inline qint64 DecimalPlacesOf(qint64 status) {
    return (status / 256) & 7;
}

// The seven parts of EasyAll. Units is left as it is when no unit flag is set.
void Decode(qint64 status, const DeviceValue& display, DeviceValue& ActualDisplay,
            DeviceValue& DPlaces, DeviceValue& Units, DeviceValue& BattLow, DeviceValue& PEAK,
            DeviceValue& NET, DeviceValue& OVERLOAD);

} // namespace StatusWord
