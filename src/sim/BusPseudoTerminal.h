#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The pseudo-terminal a simulated bus listens on: the tool opens its device path as it would a
// serial port, and the simulator reads and writes the other end. The simulator keeps the device
// end open itself, so the line survives the tool closing and reopening it, and reads the tool's
// line settings (its baud rate) from the terminal attributes. Unix only; elsewhere open() fails
// with the reason.
class BusPseudoTerminal {
public:
    enum class WaitResult { Input, Interrupted, Deadline, Failed };

    BusPseudoTerminal();
    ~BusPseudoTerminal();
    BusPseudoTerminal(const BusPseudoTerminal&) = delete;
    BusPseudoTerminal& operator=(const BusPseudoTerminal&) = delete;

    bool open(QString* error);
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString devicePath() const { return m_devicePath; }
    // What a port link should point at: on Linux this process's own descriptor of the device
    // (/proc/<pid>/fd/<n>), which goes with the process however it ends, so a link left behind by
    // a killed simulator dangles instead of reaching whatever reuses the pseudo-terminal next.
    // Elsewhere the device path.
    QString linkTarget() const;

    // The baud rate the tool has set on the line, or 0 when it is not one of the usual rates.
    int lineBaud() const;
    // Everything received so far, without waiting.
    QByteArray readAvailable();
    // Bytes the tool has no room for are dropped, as a line would lose them.
    void write(const QByteArray& bytes);

    // Sleeps until input arrives, interrupt() is called, or the deadline (steady clock, µs)
    // passes; without a deadline, until one of the first two.
    WaitResult wait(std::optional<qint64> deadlineUs);
    // Ends a wait() in another thread.
    void interrupt();

    // The steady clock wait() measures deadlines on, in µs.
    static qint64 NowUs();
    // Makes wait() in the calling thread wake at its deadline instead of up to 50 µs after it
    // (the system's default slack), which a reply due in a few ms would notice.
    static void SharpenTimersOfThisThread();

private:
    int m_master = -1;
    int m_device = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    QString m_devicePath;
};
