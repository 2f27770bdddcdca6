#include "sim/BusPseudoTerminal.h"

#include <QtGlobal>
#include <algorithm>
#include <chrono>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

void closeFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

int baudOf(speed_t speed) {
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 0;
    }
}
#endif

} // namespace

BusPseudoTerminal::BusPseudoTerminal() = default;

BusPseudoTerminal::~BusPseudoTerminal() {
    close();
}

qint64 BusPseudoTerminal::NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void BusPseudoTerminal::SharpenTimersOfThisThread() {
#ifdef Q_OS_LINUX
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

#ifdef Q_OS_UNIX

bool BusPseudoTerminal::open(QString* error) {
    close();
    auto fail = [&](const char* what) {
        if (error) {
            *error = QStringLiteral("Cannot create the simulator's pseudo-terminal (%1).")
                         .arg(systemError(what));
        }
        close();
        return false;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0) {
        return fail("posix_openpt");
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        return fail("unlockpt");
    }
    const char* name = ::ptsname(m_master);
    if (!name) {
        return fail("ptsname");
    }
    m_devicePath = QString::fromLocal8Bit(name);
    m_device = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_device < 0) {
        return fail("open");
    }
    // Raw bytes both ways until the tool sets its own line settings.
    termios attributes{};
    if (::tcgetattr(m_device, &attributes) == 0) {
        ::cfmakeraw(&attributes);
        ::tcsetattr(m_device, TCSANOW, &attributes);
    }
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        return fail("pipe");
    }
    m_wakeRead = pipeEnds[0];
    m_wakeWrite = pipeEnds[1];
    return true;
}

void BusPseudoTerminal::close() {
    closeFd(m_device);
    closeFd(m_master);
    closeFd(m_wakeRead);
    closeFd(m_wakeWrite);
    m_devicePath.clear();
}

QString BusPseudoTerminal::linkTarget() const {
#ifdef Q_OS_LINUX
    if (m_device >= 0) {
        return QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(m_device);
    }
#endif
    return m_devicePath;
}

int BusPseudoTerminal::lineBaud() const {
    termios attributes{};
    if (m_device < 0 || ::tcgetattr(m_device, &attributes) != 0) {
        return 0;
    }
    return baudOf(::cfgetospeed(&attributes));
}

QByteArray BusPseudoTerminal::readAvailable() {
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return bytes;
    }
}

void BusPseudoTerminal::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;
        }
    }
}

BusPseudoTerminal::WaitResult BusPseudoTerminal::wait(std::optional<qint64> deadlineUs) {
    pollfd fds[2] = {{m_master, POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
    timespec timeout{};
    timespec* timeoutPointer = nullptr;
    if (deadlineUs) {
        const qint64 leftUs = std::max<qint64>(0, *deadlineUs - NowUs());
        timeout.tv_sec = time_t(leftUs / 1000000);
        timeout.tv_nsec = long(leftUs % 1000000) * 1000;
        timeoutPointer = &timeout;
    }
    const int ready = ::ppoll(fds, 2, timeoutPointer, nullptr);
    if (ready < 0) {
        return errno == EINTR ? WaitResult::Interrupted : WaitResult::Failed;
    }
    if (fds[1].revents & POLLIN) {
        char drain[64];
        while (::read(m_wakeRead, drain, sizeof drain) > 0) {
        }
        return WaitResult::Interrupted;
    }
    if (fds[0].revents & POLLIN) {
        return WaitResult::Input;
    }
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
        return WaitResult::Failed;
    }
    return WaitResult::Deadline;
}

void BusPseudoTerminal::interrupt() {
    if (m_wakeWrite >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeWrite, &byte, 1);
    }
}

#else

bool BusPseudoTerminal::open(QString* error) {
    if (error) {
        *error = QStringLiteral("The simulated bus needs pseudo-terminals, which this system does "
                                "not have; use a virtual serial port pair instead.");
    }
    return false;
}

void BusPseudoTerminal::close() {}
QString BusPseudoTerminal::linkTarget() const {
    return m_devicePath;
}
int BusPseudoTerminal::lineBaud() const {
    return 0;
}
QByteArray BusPseudoTerminal::readAvailable() {
    return {};
}
void BusPseudoTerminal::write(const QByteArray&) {}
BusPseudoTerminal::WaitResult BusPseudoTerminal::wait(std::optional<qint64>) {
    return WaitResult::Failed;
}
void BusPseudoTerminal::interrupt() {}

#endif
