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
// USB and ACM adapters get the lowest free number of this range when first seen, remembered as a
// link so the adapter keeps it across replugs and reboots. Below it sit the onboard UARTs
// (ttyS<k> is COM<k+1>).
inline constexpr int FirstAdapterPort = 33;
inline constexpr int LastAdapterPort = 199;
// Simulated buses take the lowest free number of this range, so several can run side by side.
inline constexpr int FirstSimulatorPort = 200;
inline constexpr int LastSimulatorPort = 254;

// Where discovery looks. The defaults (SystemPortRoots) are the real system's; tests point them
// into a temporary folder.
struct PortRoots {
    QString linksFolder;                        // the COMn links
    QString devFolder = QStringLiteral("/dev"); // ttyS<k>, serial/by-id, ttyUSB, ttyACM
    QString sysTtyFolder = QStringLiteral("/sys/class/tty"); // ttyS<k>/type is 0 for a phantom
};
PortRoots SystemPortRoots();

struct PortEntry {
    int number = 0;
    QString devicePath; // as offered: the link's target, or the device node
    bool operator==(const PortEntry&) const = default;
};

// Every port with the device behind it, in ascending order. An adapter seen for the first time is
// given its number here (and the link that remembers it).
QList<PortEntry> ListPorts();
QList<PortEntry> ListPorts(const PortRoots& roots);

// Ascending port numbers 1-255 of the ports that exist; empty when there is none.
QList<int> EnumSerialPorts();
QList<int> EnumSerialPorts(const PortRoots& roots);

// The per-user folder of COMn links (created on demand).
QString PortLinksFolder();

// The device that port n stands for, or "" when there is none.
QString DevicePathForPort(int portNumber);
QString DevicePathForPort(int portNumber, const PortRoots& roots);

// Offers a device as port n by making the COMn link. Fails (with the reason in *error) when the
// number is outside 1-255 or already offered by a device that still exists; a link whose device
// has gone is replaced.
bool OfferDeviceAsPort(int portNumber, const QString& devicePath, QString* error = nullptr);
bool OfferDeviceAsPort(int portNumber, const QString& devicePath, const PortRoots& roots,
                       QString* error = nullptr);
// Offers a device on the lowest free number of first..last; returns it, or 0 (reason in *error).
int OfferDeviceOnFreePort(const QString& devicePath, int first, int last, QString* error = nullptr);
int OfferDeviceOnFreePort(const QString& devicePath, int first, int last, const PortRoots& roots,
                          QString* error = nullptr);
// Removes the COMn link again, if it still points at devicePath (or devicePath is empty).
void WithdrawPort(int portNumber, const QString& devicePath = QString());
void WithdrawPort(int portNumber, const QString& devicePath, const PortRoots& roots);

// n for a name "COMn" in any letter case, n 1-255 written without leading zeros; 0 for anything
// else ("COM3X", "COM0", "COM256", "COM03").
int PortNumberFromName(const QString& name);
// "COMn".
QString PortName(int portNumber);

} // namespace COMDetectModule
