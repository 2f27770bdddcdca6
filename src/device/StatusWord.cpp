#include "device/StatusWord.h"

namespace StatusWord {

void Decode(qint64 status, const DeviceValue& display, DeviceValue& ActualDisplay,
            DeviceValue& DPlaces, DeviceValue& Units, DeviceValue& BattLow, DeviceValue& PEAK,
            DeviceValue& NET, DeviceValue& OVERLOAD) {
    ActualDisplay = display;
    DPlaces = DeviceValue(DecimalPlacesOf(status));
    NET = DeviceValue((status & NetBit) != 0);
    PEAK = DeviceValue((status & HoldBit) != 0);
    BattLow = DeviceValue((status & BatteryLowBit) != 0);
    OVERLOAD = DeviceValue((status & OverloadBit) != 0);
    static const char* const unitNames[] = {"Kg", "KN", "T", "lb"};
    for (int flag = 0; flag < 4; ++flag) {
        if (status & (qint64(16) << flag)) {
            Units = DeviceValue(unitNames[flag]);
            break;
        }
    }
}

} // namespace StatusWord
