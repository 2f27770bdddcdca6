#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

// A pseudo-terminal pair for tests that need a real serial device: the code under test opens
// devicePath() as its port, the test plays the far end (a module, a bus). Raw mode, no echo.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isOpen() const { return m_master >= 0; }
    // The device the code under test opens, e.g. /dev/pts/3.
    QString devicePath() const { return m_path; }

    // The far end, used directly: bytes to the port, and bytes the port has sent (waits until
    // byteCount have come or timeoutMs has passed).
    void send(const QByteArray& bytes);
    QByteArray receive(int byteCount, int timeoutMs);
    // Waits (without running the event loop, which would let a port read them) until at least
    // byteCount bytes sent to the port wait unread in the terminal's input queue.
    bool waitUntilPending(int byteCount, int timeoutMs) const;

    // Answers on a thread of its own until stopped. The responder gets every byte the port has
    // sent and it has not yet consumed; it removes what it has dealt with and returns the bytes
    // to send back (or none).
    using Responder = std::function<QByteArray(QByteArray& unconsumed)>;
    void startResponder(Responder responder);
    void stopResponder();
    // Every byte the port has sent while a responder ran, in order.
    QByteArray received() const;

    // The device vanishes, as an unplugged adapter does: the far end closes.
    void hangUp();

private:
    void respondLoop(Responder responder);

    int m_master = -1;
    // Held open so the far end never reads a hang-up between two opens of the port.
    int m_keeper = -1;
    QString m_path;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    QByteArray m_log;
};
