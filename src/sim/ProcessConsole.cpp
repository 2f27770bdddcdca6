#include "sim/ProcessConsole.h"

#include <QSocketNotifier>
#include <QString>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#else
#include <iostream>
#include <string>
#include <thread>
#endif

namespace {

#ifdef Q_OS_UNIX
// Written by the signal handler, read by the notifier: the only async-signal-safe way out.
int stopPipe[2] = {-1, -1};

void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &byte, 1);
}
#endif

} // namespace

#ifdef Q_OS_UNIX

ProcessConsole::ProcessConsole(QObject* parent)
    : QObject(parent) {
    if (::pipe2(stopPipe, O_NONBLOCK | O_CLOEXEC) == 0) {
        m_stop = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, this);
        connect(m_stop, &QSocketNotifier::activated, this, &ProcessConsole::readStopRequest);
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
            ::sigaction(signal, &action, nullptr);
        }
    }
    m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_input, &QSocketNotifier::activated, this, &ProcessConsole::readInput);
}

ProcessConsole::~ProcessConsole() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, SIG_DFL);
    }
}

void ProcessConsole::readInput() {
    char buffer[1024];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        // Standard input is closed (or /dev/null when run in the background): keep serving
        // the bus until a signal stops us.
        m_input->setEnabled(false);
        if (!m_pending.isEmpty() && !m_discarding) {
            Q_EMIT lineRead(QString::fromLocal8Bit(m_pending));
            m_pending.clear();
        }
        Q_EMIT inputEnded();
        return;
    }
    m_pending.append(buffer, n);
    for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0;) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (m_discarding) {
            m_discarding = false;
            continue;
        }
        Q_EMIT lineRead(QString::fromLocal8Bit(line).trimmed());
    }
    // Input without line ends (a binary file, /dev/zero) must not pile up without bound.
    if (m_pending.size() > MaxLineBytes) {
        m_pending.clear();
        if (!m_discarding) {
            m_discarding = true;
            Q_EMIT lineTooLong();
        }
    }
}

void ProcessConsole::readStopRequest() {
    char drain[16];
    while (::read(stopPipe[0], drain, sizeof drain) > 0) {
    }
    Q_EMIT stopRequested();
}

#else

ProcessConsole::ProcessConsole(QObject* parent)
    : QObject(parent) {
    std::thread([this] {
        std::string line;
        while (std::getline(std::cin, line)) {
            const QString text = QString::fromStdString(line).trimmed();
            QMetaObject::invokeMethod(this, [this, text] { Q_EMIT lineRead(text); });
        }
        QMetaObject::invokeMethod(this, [this] { Q_EMIT inputEnded(); });
    }).detach();
}

ProcessConsole::~ProcessConsole() = default;
void ProcessConsole::readInput() {}
void ProcessConsole::readStopRequest() {}

#endif
