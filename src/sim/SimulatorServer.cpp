#include "sim/SimulatorServer.h"

#include <QList>
#include <algorithm>

SimulatorServer::SimulatorServer(std::unique_ptr<SimulatedBus> bus)
    : m_bus(std::move(bus)) {}

SimulatorServer::~SimulatorServer() {
    stop();
}

bool SimulatorServer::start(QString* error) {
    if (isRunning()) {
        return true;
    }
    if (!m_terminal.open(error)) {
        return false;
    }
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void SimulatorServer::stop() {
    if (!isRunning()) {
        return;
    }
    m_stopping = true;
    m_terminal.interrupt();
    m_thread.join();
    m_terminal.close();
}

void SimulatorServer::run() {
    BusPseudoTerminal::SharpenTimersOfThisThread();
    QList<ScheduledReply> pending; // in due order
    while (!m_stopping) {
        std::optional<qint64> deadline;
        if (!pending.isEmpty()) {
            deadline = pending.first().dueUs;
        }
        const BusPseudoTerminal::WaitResult result = m_terminal.wait(deadline);
        if (result == BusPseudoTerminal::WaitResult::Failed) {
            // The line cannot be waited on any more; say so by no longer answering.
            break;
        }
        if (result == BusPseudoTerminal::WaitResult::Input) {
            const qint64 arrivalUs = BusPseudoTerminal::NowUs();
            const QByteArray bytes = m_terminal.readAvailable();
            const int baud = m_terminal.lineBaud();
            QList<ScheduledReply> replies;
            {
                std::lock_guard lock(m_mutex);
                replies = m_bus->receive(bytes, arrivalUs, baud);
            }
            for (const ScheduledReply& reply : replies) {
                const auto at = std::upper_bound(
                    pending.begin(), pending.end(), reply.dueUs,
                    [](qint64 due, const ScheduledReply& other) { return due < other.dueUs; });
                pending.insert(at, reply);
            }
        }
        const qint64 nowUs = BusPseudoTerminal::NowUs();
        while (!pending.isEmpty() && pending.first().dueUs <= nowUs) {
            m_terminal.write(pending.takeFirst().bytes);
        }
    }
}
