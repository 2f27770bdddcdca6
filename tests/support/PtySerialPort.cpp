#include "support/PtySerialPort.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString reason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

qint64 nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

PtySerialPort::~PtySerialPort() {
    close();
}

int PtySerialPort::open() {
    close();
    if (m_path.isEmpty()) {
        throw SerialPortError(QStringLiteral("COM%1 has no device in the tests").arg(m_portNumber));
    }
    m_fd = ::open(m_path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        throw SerialPortError(QStringLiteral("%1 cannot be opened: %2").arg(m_path, reason()));
    }
    termios attributes{};
    ::tcgetattr(m_fd, &attributes);
    ::cfmakeraw(&attributes);
    const speed_t speed = m_baud == 19200 ? B19200 : m_baud == 9600 ? B9600 : B38400;
    ::cfsetispeed(&attributes, speed);
    ::cfsetospeed(&attributes, speed);
    ::tcsetattr(m_fd, TCSANOW, &attributes);
    ::tcflush(m_fd, TCIOFLUSH);
    return 1;
}

int PtySerialPort::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    return 0;
}

void PtySerialPort::resetInput() {
    if (m_fd >= 0) {
        ::tcflush(m_fd, TCIFLUSH);
    }
}

void PtySerialPort::write(const QByteArray& bytes) {
    if (m_fd < 0) {
        throw SerialPortError(QStringLiteral("%1 is not open").arg(m_path));
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd fd{m_fd, POLLOUT, 0};
            ::poll(&fd, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            throw SerialPortError(QStringLiteral("%1 refused the bytes: %2").arg(m_path, reason()));
        }
    }
}

QByteArray PtySerialPort::read(int byteCount, int timeoutMs) {
    QByteArray bytes;
    if (m_fd < 0) {
        return bytes;
    }
    const qint64 end = nowMs() + timeoutMs;
    char buffer[256];
    for (;;) {
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            bytes.append(buffer, n);
        }
        if (bytes.size() >= byteCount) {
            return bytes;
        }
        const qint64 left = end - nowMs();
        if (left <= 0) {
            return bytes;
        }
        pollfd fd{m_fd, POLLIN, 0};
        ::poll(&fd, 1, int(left));
    }
}
