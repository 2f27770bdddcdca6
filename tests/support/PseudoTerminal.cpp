#include "support/PseudoTerminal.h"

#include <QDeadlineTimer>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int PollSliceMs = 20;

} // namespace

PseudoTerminal::PseudoTerminal() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        return;
    }
    const char* name =
        (::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) ? ::ptsname(m_master) : nullptr;
    if (!name) {
        ::close(m_master);
        m_master = -1;
        return;
    }
    m_path = QString::fromLocal8Bit(name);
    termios settings{};
    if (::tcgetattr(m_master, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(m_master, TCSANOW, &settings);
    }
    m_keeper = ::open(name, O_RDWR | O_NOCTTY);
}

PseudoTerminal::~PseudoTerminal() {
    stopResponder();
    hangUp();
}

void PseudoTerminal::send(const QByteArray& bytes) {
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += n;
    }
}

QByteArray PseudoTerminal::receive(int byteCount, int timeoutMs) {
    QByteArray bytes;
    const QDeadlineTimer deadline(timeoutMs);
    while (m_master >= 0 && bytes.size() < byteCount) {
        pollfd fd{m_master, POLLIN, 0};
        const int ready = ::poll(&fd, 1, int(deadline.remainingTime()));
        if (ready <= 0 || !(fd.revents & POLLIN)) {
            break;
        }
        char buffer[256];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        bytes.append(buffer, n);
    }
    return bytes;
}

bool PseudoTerminal::waitUntilPending(int byteCount, int timeoutMs) const {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        int count = 0;
        if (m_keeper >= 0 && ::ioctl(m_keeper, FIONREAD, &count) == 0 && count >= byteCount) {
            return true;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void PseudoTerminal::startResponder(Responder responder) {
    stopResponder();
    m_stop = false;
    m_thread = std::thread([this, responder = std::move(responder)] { respondLoop(responder); });
}

void PseudoTerminal::stopResponder() {
    if (m_thread.joinable()) {
        m_stop = true;
        m_thread.join();
    }
}

QByteArray PseudoTerminal::received() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

void PseudoTerminal::respondLoop(Responder responder) {
    QByteArray unconsumed;
    while (!m_stop && m_master >= 0) {
        pollfd fd{m_master, POLLIN, 0};
        if (::poll(&fd, 1, PollSliceMs) <= 0 || !(fd.revents & POLLIN)) {
            continue;
        }
        char buffer[256];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0) {
            continue;
        }
        {
            std::lock_guard lock(m_mutex);
            m_log.append(buffer, n);
        }
        unconsumed.append(buffer, n);
        send(responder(unconsumed));
    }
}

void PseudoTerminal::hangUp() {
    stopResponder();
    if (m_keeper >= 0) {
        ::close(m_keeper);
        m_keeper = -1;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}
