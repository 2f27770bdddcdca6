#include "cli/ZexCtlPortChoice.h"

#include "serial/COMDetectModule.h"
#include "serial/Zarnbus2Module.h"

#include <QFileInfo>

namespace ZexCtlPorts {
namespace {

// A bare node name such as "ttyUSB0" means the device in /dev.
QString devicePathOf(const QString& text) {
#ifdef Q_OS_UNIX
    if (!text.contains(QLatin1Char('/')) && !QFileInfo::exists(text) &&
        QFileInfo::exists(QStringLiteral("/dev/") + text)) {
        return QStringLiteral("/dev/") + text;
    }
#endif
    return text;
}

} // namespace

int PortNumberOf(const QString& text) {
    if (const int number = COMDetectModule::PortNumberFromName(text)) {
        return number;
    }
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok && number >= COMDetectModule::FirstPort && number <= COMDetectModule::LastPort &&
                   QString::number(number) == text
               ? number
               : 0;
}

ZexCtlPortChoice Choose(const QString& portOption) {
    ZexCtlPortChoice choice;
    if (portOption.isEmpty()) {
        const QList<int> ports = COMDetectModule::EnumSerialPorts();
        choice.portNumber = ports.isEmpty() ? 0 : ports.first();
    } else {
        choice.portNumber = PortNumberOf(portOption);
    }
    if (choice.portNumber) {
        choice.label = COMDetectModule::PortName(choice.portNumber);
    } else if (!portOption.isEmpty()) {
        choice.devicePath = devicePathOf(portOption);
        choice.label = choice.devicePath;
    }
    return choice;
}

bool Open(Zarnbus2Link& link, const ZexCtlPortChoice& choice, int baudRate) {
    return choice.portNumber ? Zarnbus2Module::OpenPort(link, choice.portNumber, baudRate)
                             : Zarnbus2Module::OpenPortByName(link, choice.devicePath, baudRate);
}

} // namespace ZexCtlPorts
