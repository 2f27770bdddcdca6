#include "serial/QtSerialPortControl.h"

#include "serial/COMDetectModule.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int MinimumWriteWaitMs = 1000;
constexpr int MaximumHoldersNamed = 3;

#ifdef Q_OS_UNIX

bool isCharacterDevice(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode);
}

QString owningGroup(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return QString();
    }
    const group* entry = ::getgrgid(info.st_gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(info.st_gid);
}

bool mayReadAndWrite(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}

// The programs that hold the device open, as far as this user may see: "zex-sim, process 812".
QStringList holdersOf(const QString& device) {
    QStringList holders;
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& pid : processes) {
        bool isPid = false;
        pid.toLongLong(&isPid);
        if (!isPid) {
            continue;
        }
        const QString fdFolder = QStringLiteral("/proc/%1/fd").arg(pid);
        const QStringList fds = QDir(fdFolder).entryList(QDir::System | QDir::NoDotAndDotDot);
        for (const QString& fd : fds) {
            if (QFile::symLinkTarget(fdFolder + QLatin1Char('/') + fd) != device) {
                continue;
            }
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            const QString name = comm.open(QIODevice::ReadOnly)
                                     ? QString::fromLocal8Bit(comm.readAll()).trimmed()
                                     : QStringLiteral("a program");
            holders.append(QStringLiteral("%1, process %2").arg(name, pid));
            break;
        }
        if (holders.size() >= MaximumHoldersNamed) {
            break;
        }
    }
    return holders;
}

#endif

QString reasonForOpenFailure(const QSerialPort& port, const QString& device) {
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("the device does not exist (unplugged?)");
    case QSerialPort::PermissionError: {
#ifdef Q_OS_UNIX
        if (!mayReadAndWrite(device)) {
            const QString group = owningGroup(device);
            if (group.isEmpty() || group == QLatin1String("root")) {
                return QStringLiteral("permission denied; ask the administrator for access");
            }
            return QStringLiteral("permission denied; add your user to the group \"%1\" "
                                  "(sudo usermod -aG %1 $USER) and log in again")
                .arg(group);
        }
        const QStringList holders = holdersOf(device);
        if (!holders.isEmpty()) {
            return QStringLiteral("it is in use by another program (%1); close that program and "
                                  "try again")
                .arg(holders.join(QStringLiteral("; ")));
        }
#else
        Q_UNUSED(device);
#endif
        return QStringLiteral("it is in use by another program (or locked); close that "
                              "program and try again");
    }
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("not a serial device");
    case QSerialPort::OpenError:
        return QStringLiteral("it is already open");
    default:
        return port.errorString();
    }
}

} // namespace

QtSerialPortControl::QtSerialPortControl()
    : m_port(std::make_unique<QSerialPort>()) {}

QtSerialPortControl::~QtSerialPortControl() = default;

void QtSerialPortControl::setPortNumber(int portNumber) {
    m_portNumber = portNumber;
    m_byNumber = true;
}

void QtSerialPortControl::setPortName(const QString& devicePath) {
    m_devicePath = devicePath;
    m_byNumber = false;
}

void QtSerialPortControl::setBaudRate(int baudRate) {
    m_baudRate = baudRate;
    if (m_port->isOpen()) {
        configure();
    }
}

QString QtSerialPortControl::portLabel() const {
    if (!m_byNumber) {
        return m_devicePath;
    }
    const QString name = COMDetectModule::PortName(m_portNumber);
    return m_device.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, m_device);
}

QString QtSerialPortControl::deviceToOpen() {
    if (!m_byNumber) {
        if (m_devicePath.isEmpty()) {
            throw SerialPortError(QStringLiteral("Cannot open the serial port: none was chosen."));
        }
        return m_devicePath;
    }
    const QString name = COMDetectModule::PortName(m_portNumber);
    if (m_portNumber < COMDetectModule::FirstPort || m_portNumber > COMDetectModule::LastPort) {
        throw SerialPortError(QStringLiteral("Cannot open %1: ports are COM%2 to COM%3.")
                                  .arg(name)
                                  .arg(COMDetectModule::FirstPort)
                                  .arg(COMDetectModule::LastPort));
    }
    const QString device = COMDetectModule::DevicePathForPort(m_portNumber);
    if (device.isEmpty()) {
        throw SerialPortError(
            QStringLiteral("Cannot open %1: there is no such port on this computer.").arg(name));
    }
    return device;
}

int QtSerialPortControl::open() {
    if (m_port->isOpen()) {
        close();
    }
    m_lostReason.clear();
    m_device.clear();
    m_device = deviceToOpen();
    const QString label = portLabel();
    QString systemName = m_device;
#ifdef Q_OS_UNIX
    const QFileInfo info(m_device);
    if (!info.exists()) {
        throw SerialPortError(
            QStringLiteral("Cannot open %1: the device does not exist (unplugged?).").arg(label));
    }
    // Open the device itself, not a link to it, so it is locked once whichever name is used.
    systemName = info.canonicalFilePath();
    if (!isCharacterDevice(systemName)) {
        throw SerialPortError(QStringLiteral("Cannot open %1: not a serial device.").arg(label));
    }
#endif
    m_port->setPortName(systemName);
    if (!m_port->open(QIODevice::ReadWrite)) {
        const QString reason = reasonForOpenFailure(*m_port, systemName);
        m_port->clearError();
        throw SerialPortError(QStringLiteral("Cannot open %1: %2.").arg(label, reason));
    }
    try {
        configure();
    } catch (const SerialPortError&) {
        m_port->close();
        throw;
    }
    m_port->clear(QSerialPort::Input);
    return 1;
}

void QtSerialPortControl::configure() {
    // Modem lines (DTR, RTS) are left as the driver sets them: the bus does not use them, and a
    // pseudo-terminal refuses them.
    const bool ok = m_port->setBaudRate(m_baudRate) && m_port->setDataBits(QSerialPort::Data8) &&
                    m_port->setParity(QSerialPort::NoParity) &&
                    m_port->setStopBits(QSerialPort::OneStop) &&
                    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        const QString reason = m_port->errorString();
        m_port->clearError();
        throw SerialPortError(
            QStringLiteral("Cannot use %1 at %2 baud, 8 data bits, no parity: %3.")
                .arg(portLabel())
                .arg(m_baudRate)
                .arg(reason));
    }
}

int QtSerialPortControl::close() {
    if (m_port->isOpen()) {
        m_port->close();
    }
    m_port->clearError();
    return 0;
}

bool QtSerialPortControl::isOpen() const {
    return m_port->isOpen();
}

void QtSerialPortControl::requireOpen() const {
    if (m_port->isOpen()) {
        return;
    }
    if (!m_lostReason.isEmpty()) {
        throw SerialPortError(m_lostReason);
    }
    const QString label = portLabel();
    throw SerialPortError(label.isEmpty() ? QStringLiteral("The serial port is not open.")
                                          : QStringLiteral("%1 is not open.").arg(label));
}

void QtSerialPortControl::portLost(const QString& action) {
    const QString label = portLabel();
    const bool gone = !m_device.isEmpty() && !QFileInfo::exists(m_device);
    m_lostReason =
        gone ? QStringLiteral("%1 stopped working: the device has gone (unplugged?).").arg(label)
             : QStringLiteral("%1 stopped working while %2: %3.")
                   .arg(label, action, m_port->errorString());
    m_port->clearError();
    m_port->close();
    throw SerialPortError(m_lostReason);
}

void QtSerialPortControl::resetInput() {
    if (!m_port->isOpen()) {
        return;
    }
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_port->clearError();
}

void QtSerialPortControl::write(const QByteArray& bytes) {
    requireOpen();
    if (m_port->write(bytes) != bytes.size()) {
        portLost(QStringLiteral("sending"));
    }
    // Ten bit times per byte, plus slack; a port that takes longer is stuck (held by flow control).
    const int waitMs = MinimumWriteWaitMs + int(bytes.size() * 10 * 1000LL / qMax(m_baudRate, 1));
    const QDeadlineTimer deadline(waitMs);
    while (m_port->bytesToWrite() > 0) {
        if (m_port->waitForBytesWritten(int(qMax<qint64>(deadline.remainingTime(), 0)))) {
            continue;
        }
        if (m_port->error() != QSerialPort::TimeoutError) {
            portLost(QStringLiteral("sending"));
        }
        m_port->clearError();
        if (deadline.hasExpired()) {
            const QString text = QStringLiteral("%1 did not send %2 bytes within %3 ms.")
                                     .arg(portLabel())
                                     .arg(bytes.size())
                                     .arg(waitMs);
            m_port->clear(QSerialPort::Output);
            throw SerialPortError(text);
        }
    }
}

QByteArray QtSerialPortControl::read(int byteCount, int timeoutMs) {
    requireOpen();
    QByteArray received = m_port->readAll();
    const QDeadlineTimer deadline(qMax(timeoutMs, 0));
    while (received.size() < byteCount && !deadline.hasExpired()) {
        // Blocks until bytes arrive or the time left is up; never spins.
        if (!m_port->waitForReadyRead(int(qMax<qint64>(deadline.remainingTime(), 0)))) {
            if (m_port->error() != QSerialPort::TimeoutError &&
                m_port->error() != QSerialPort::NoError) {
                portLost(QStringLiteral("receiving"));
            }
            m_port->clearError();
            continue;
        }
        received += m_port->readAll();
    }
    // Take what has arrived meanwhile as well, so an over-long reply is seen as such.
    if (m_port->waitForReadyRead(0)) {
        received += m_port->readAll();
    }
    m_port->clearError();
    return received;
}
