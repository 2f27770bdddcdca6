#include "serial/COMDetectModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <map>

#ifdef Q_OS_WIN
#include <QSerialPortInfo>
#else
#include <cstdio>
#endif

namespace COMDetectModule {

int PortNumberFromName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^COM([1-9][0-9]{0,2})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch()) {
        return 0;
    }
    const int number = match.captured(1).toInt();
    return number >= FirstPort && number <= LastPort ? number : 0;
}

QString PortName(int portNumber) {
    return QStringLiteral("COM%1").arg(portNumber);
}

namespace {

QString linksFolderPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ZEX Toolkit/ports");
}

} // namespace

PortRoots SystemPortRoots() {
    PortRoots roots;
    roots.linksFolder = linksFolderPath();
    return roots;
}

QString PortLinksFolder() {
    const QString folder = linksFolderPath();
    QDir().mkpath(folder);
    return folder;
}

QList<PortEntry> ListPorts() {
    return ListPorts(SystemPortRoots());
}

QList<int> EnumSerialPorts() {
    return EnumSerialPorts(SystemPortRoots());
}

QList<int> EnumSerialPorts(const PortRoots& roots) {
    QList<int> numbers;
    for (const PortEntry& entry : ListPorts(roots)) {
        numbers.append(entry.number);
    }
    return numbers;
}

QString DevicePathForPort(int portNumber) {
    return DevicePathForPort(portNumber, SystemPortRoots());
}

QString DevicePathForPort(int portNumber, const PortRoots& roots) {
    if (portNumber < FirstPort || portNumber > LastPort) {
        return QString();
    }
    for (const PortEntry& entry : ListPorts(roots)) {
        if (entry.number == portNumber) {
            return entry.devicePath;
        }
    }
    return QString();
}

bool OfferDeviceAsPort(int portNumber, const QString& devicePath, QString* error) {
    return OfferDeviceAsPort(portNumber, devicePath, SystemPortRoots(), error);
}

int OfferDeviceOnFreePort(const QString& devicePath, int first, int last, QString* error) {
    return OfferDeviceOnFreePort(devicePath, first, last, SystemPortRoots(), error);
}

void WithdrawPort(int portNumber, const QString& devicePath) {
    WithdrawPort(portNumber, devicePath, SystemPortRoots());
}

#ifdef Q_OS_WIN

// Windows names its serial ports itself; the links folder plays no part there.

QList<PortEntry> ListPorts(const PortRoots&) {
    std::map<int, QString> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const int number = PortNumberFromName(info.portName());
        if (number > 0) {
            ports.emplace(number, info.portName());
        }
    }
    QList<PortEntry> entries;
    for (const auto& [number, device] : ports) {
        entries.append(PortEntry{number, device});
    }
    return entries;
}

bool OfferDeviceAsPort(int portNumber, const QString&, const PortRoots&, QString* error) {
    if (error) {
        *error = QStringLiteral("%1 cannot be offered: Windows names its serial ports itself.")
                     .arg(PortName(portNumber));
    }
    return false;
}

int OfferDeviceOnFreePort(const QString&, int, int, const PortRoots&, QString* error) {
    if (error) {
        *error = QStringLiteral("Windows names its serial ports itself.");
    }
    return 0;
}

void WithdrawPort(int, const QString&, const PortRoots&) {}

#else

namespace {

struct LinkEntry {
    int number = 0;
    QString linkPath;
    QString target; // absolute, as the link says; not resolved further
    bool live = false;
};

QString absoluteTarget(const QFileInfo& link) {
    // symLinkTarget() already makes a relative target absolute against the link's folder.
    const QString target = link.symLinkTarget();
    // A simulator links its pseudo-terminal through its own open descriptor (/proc/<pid>/fd/<n>)
    // so that the link dies with it; the device behind it is what is offered.
    if (target.startsWith(QLatin1String("/proc/"))) {
        const QString device = QFileInfo(target).canonicalFilePath();
        if (!device.isEmpty()) {
            return device;
        }
    }
    return target;
}

QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

// The COMn links of the folder, by number; a live link comes before a dangling one of the same
// number (names differing only in letter case).
QList<LinkEntry> readLinks(const QString& folder) {
    QList<LinkEntry> links;
    if (folder.isEmpty()) {
        return links;
    }
    QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const int number = PortNumberFromName(info.fileName());
        if (number == 0 || !info.isSymLink()) {
            continue;
        }
        links.append(
            LinkEntry{number, info.absoluteFilePath(), absoluteTarget(info), info.exists()});
    }
    std::sort(links.begin(), links.end(), [](const LinkEntry& a, const LinkEntry& b) {
        if (a.number != b.number) {
            return a.number < b.number;
        }
        if (a.live != b.live) {
            return a.live;
        }
        return a.linkPath < b.linkPath;
    });
    return links;
}

// ttyS nodes exist for every UART the kernel could drive; only those whose type is not 0 are
// really there.
bool isRealUart(const PortRoots& roots, const QString& name) {
    QFile type(roots.sysTtyFolder + QLatin1Char('/') + name + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly)) {
        return false;
    }
    bool ok = false;
    const int value = QString::fromLatin1(type.readAll()).trimmed().toInt(&ok);
    return ok && value != 0;
}

QStringList entriesMatching(const QString& folder, const QRegularExpression& pattern) {
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (pattern.match(it.fileName()).hasMatch()) {
            names.append(it.fileName());
        }
    }
    return names;
}

// USB and ACM adapters, each once: the stable /dev/serial/by-id link where udev made one, the
// bare node otherwise.
QStringList adapterDevices(const PortRoots& roots) {
    QStringList devices;
    QStringList seenCanonical;
    const QString byId = roots.devFolder + QStringLiteral("/serial/by-id");
    QStringList byIdNames =
        QDir(byId).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    byIdNames.sort();
    for (const QString& name : byIdNames) {
        const QString path = byId + QLatin1Char('/') + name;
        const QString real = canonical(path);
        if (!real.isEmpty() && !seenCanonical.contains(real)) {
            devices.append(path);
            seenCanonical.append(real);
        }
    }
    static const QRegularExpression adapterNode(QStringLiteral("^tty(USB|ACM)[0-9]+$"));
    QStringList nodes = entriesMatching(roots.devFolder, adapterNode);
    std::sort(nodes.begin(), nodes.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const QString& name : nodes) {
        const QString path = roots.devFolder + QLatin1Char('/') + name;
        const QString real = canonical(path);
        if (!real.isEmpty() && !seenCanonical.contains(real)) {
            devices.append(path);
            seenCanonical.append(real);
        }
    }
    return devices;
}

QString absolutePath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

bool sameDevice(const QString& a, const QString& b) {
    if (absolutePath(a) == absolutePath(b)) {
        return true;
    }
    const QString realA = canonical(a);
    return !realA.isEmpty() && realA == canonical(b);
}

// Makes folder/COMn point at devicePath. A dangling link of that name is replaced in one step, so
// another program never sees the name missing; an existing live link is left alone (false).
bool makeLink(const QString& folder, int portNumber, const QString& devicePath, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error) {
            *error = QStringLiteral("Cannot create the port links folder %1.").arg(folder);
        }
        return false;
    }
    const QString linkPath = folder + QLatin1Char('/') + PortName(portNumber);
    const QFileInfo existing(linkPath);
    if (!existing.isSymLink() && !existing.exists()) {
        if (QFile::link(devicePath, linkPath)) {
            return true;
        }
    } else if (existing.isSymLink() && !existing.exists()) {
        const QString temporary = folder + QStringLiteral("/.%1.%2.new")
                                               .arg(PortName(portNumber))
                                               .arg(QCoreApplication::applicationPid());
        QFile::remove(temporary);
        if (QFile::link(devicePath, temporary) &&
            std::rename(QFile::encodeName(temporary).constData(),
                        QFile::encodeName(linkPath).constData()) == 0) {
            return true;
        }
        QFile::remove(temporary);
    }
    if (error) {
        *error = QStringLiteral("Cannot make the link %1 to %2.").arg(linkPath, devicePath);
    }
    return false;
}

} // namespace

QList<PortEntry> ListPorts(const PortRoots& roots) {
    std::map<int, QString> ports;
    const QList<LinkEntry> links = readLinks(roots.linksFolder);
    for (const LinkEntry& link : links) {
        if (link.live && !ports.count(link.number)) {
            ports.emplace(link.number, link.target);
        }
    }
    auto offered = [&ports](const QString& device) {
        return std::any_of(ports.begin(), ports.end(),
                           [&device](const auto& port) { return sameDevice(port.second, device); });
    };

    static const QRegularExpression uartNode(QStringLiteral("^ttyS([0-9]{1,3})$"));
    for (const QString& name : entriesMatching(roots.devFolder, uartNode)) {
        const int number = uartNode.match(name).captured(1).toInt() + 1;
        const QString device = roots.devFolder + QLatin1Char('/') + name;
        if (number <= LastPort && !ports.count(number) && isRealUart(roots, name) &&
            !offered(device)) {
            ports.emplace(number, device);
        }
    }

    // A new adapter takes a number never used before, so an unplugged adapter's link (dangling
    // until it is back) keeps its number; only when none is left are dangling numbers reused.
    for (const QString& device : adapterDevices(roots)) {
        if (offered(device)) {
            continue;
        }
        QList<int> unused;
        QList<int> dangling;
        for (int number = FirstAdapterPort; number <= LastAdapterPort; ++number) {
            if (ports.count(number)) {
                continue;
            }
            const bool linked = std::any_of(links.begin(), links.end(),
                                            [number](const auto& l) { return l.number == number; });
            (linked ? dangling : unused).append(number);
        }
        const QList<int> candidates = unused + dangling;
        if (candidates.isEmpty()) {
            break;
        }
        int assigned = 0;
        for (const int number : candidates) {
            if (makeLink(roots.linksFolder, number, device, nullptr)) {
                assigned = number;
                break;
            }
        }
        // Without a writable links folder the adapter still gets a number for this run.
        ports.emplace(assigned ? assigned : candidates.first(), device);
    }

    QList<PortEntry> entries;
    for (const auto& [number, device] : ports) {
        entries.append(PortEntry{number, device});
    }
    return entries;
}

bool OfferDeviceAsPort(int portNumber, const QString& devicePath, const PortRoots& roots,
                       QString* error) {
    if (portNumber < FirstPort || portNumber > LastPort) {
        if (error) {
            *error = QStringLiteral("COM%1 is not a port: ports are COM%2 to COM%3.")
                         .arg(portNumber)
                         .arg(FirstPort)
                         .arg(LastPort);
        }
        return false;
    }
    if (devicePath.isEmpty()) {
        if (error) {
            *error = QStringLiteral("No device given to offer as %1.").arg(PortName(portNumber));
        }
        return false;
    }
    const QString device = absolutePath(devicePath);
    for (const LinkEntry& link : readLinks(roots.linksFolder)) {
        if (link.number != portNumber || !link.live) {
            continue;
        }
        if (sameDevice(link.target, device)) {
            return true;
        }
        if (error) {
            *error = QStringLiteral("%1 is already offered by %2.")
                         .arg(PortName(portNumber), link.target);
        }
        return false;
    }
    // A dangling link of the same number in another letter case would hide behind ours.
    for (const LinkEntry& link : readLinks(roots.linksFolder)) {
        if (link.number == portNumber &&
            QFileInfo(link.linkPath).fileName() != PortName(portNumber)) {
            QFile::remove(link.linkPath);
        }
    }
    return makeLink(roots.linksFolder, portNumber, device, error);
}

int OfferDeviceOnFreePort(const QString& devicePath, int first, int last, const PortRoots& roots,
                          QString* error) {
    first = std::max(first, FirstPort);
    last = std::min(last, LastPort);
    const QList<PortEntry> ports = ListPorts(roots);
    for (const PortEntry& port : ports) {
        if (port.number >= first && port.number <= last &&
            sameDevice(port.devicePath, devicePath)) {
            return port.number;
        }
    }
    for (int number = first; number <= last; ++number) {
        const bool taken = std::any_of(ports.begin(), ports.end(),
                                       [number](const PortEntry& p) { return p.number == number; });
        if (!taken && OfferDeviceAsPort(number, devicePath, roots, nullptr)) {
            return number;
        }
    }
    if (error) {
        *error = QStringLiteral("No free port number from %1 to %2 to offer %3 on.")
                     .arg(PortName(first), PortName(last), devicePath);
    }
    return 0;
}

void WithdrawPort(int portNumber, const QString& devicePath, const PortRoots& roots) {
    for (const LinkEntry& link : readLinks(roots.linksFolder)) {
        if (link.number == portNumber &&
            (devicePath.isEmpty() || sameDevice(link.target, devicePath))) {
            QFile::remove(link.linkPath);
        }
    }
}

#endif

} // namespace COMDetectModule
