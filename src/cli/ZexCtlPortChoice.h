#pragma once

#include <QString>

struct Zarnbus2Link;

// The port a --port option names: "COM3", "com3" or "3" is port 3; "/dev/ttyUSB0" (or the bare
// node name "ttyUSB0") is that device; no option is the lowest port the PC lists.
struct ZexCtlPortChoice {
    int portNumber = 0; // COMn, or 0 when a device path was named
    QString devicePath; // when no port number
    QString label;      // for messages: "COM3" or the device path

    bool found() const { return portNumber > 0 || !devicePath.isEmpty(); }
};

namespace ZexCtlPorts {

// 3 for "COM3", "com3" or "3"; 0 for anything else.
int PortNumberOf(const QString& text);
ZexCtlPortChoice Choose(const QString& portOption);
// Opens the chosen port on the link; the reason for a failure is in link.openFailureText.
bool Open(Zarnbus2Link& link, const ZexCtlPortChoice& choice, int baudRate);

inline constexpr char NoPortFound[] =
    "zexctl: no serial port found; connect an adapter, or name a device with --port DEVICE-PATH "
    "(see zexctl ports).\n";

} // namespace ZexCtlPorts
