#pragma once

#include <QList>
#include <QString>

// Which serial ports the PC has, as the numbers n of "COMn", and which device each one is.
//
// On Linux a per-user folder holds links named COMn; any device linked there (a USB adapter's
// /dev/serial/by-id link, a simulator's pseudo-terminal) is offered as port n. Real devices that
// have no link get a fixed or remembered number (see the README for the mapping). On Windows the
// system's own COM names are used.
namespace COMDetectModule {

inline constexpr int FirstPort = 1;
inline constexpr int LastPort = 255;
// Simulated buses take the lowest free number of this range, so several can run side by side.
inline constexpr int FirstSimulatorPort = 200;
inline constexpr int LastSimulatorPort = 254;

// Ascending port numbers 1-255 of the ports that exist; empty when there is none.
QList<int> EnumSerialPorts();

// The per-user folder of COMn links (created on demand).
QString PortLinksFolder();

// The device that port n stands for, or "" when there is none.
QString DevicePathForPort(int portNumber);

// Offers a device as port n by making the COMn link. Fails (with the reason in *error) when the
// number is outside 1-255 or already offered by a device that still exists; a link whose device
// has gone is replaced.
bool OfferDeviceAsPort(int portNumber, const QString& devicePath, QString* error = nullptr);
// Offers a device on the lowest free number of first..last; returns it, or 0 (reason in *error).
int OfferDeviceOnFreePort(const QString& devicePath, int first, int last, QString* error = nullptr);
// Removes the COMn link again, if it still points at devicePath (or devicePath is empty).
void WithdrawPort(int portNumber, const QString& devicePath = QString());

} // namespace COMDetectModule
