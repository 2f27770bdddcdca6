#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// The simulator process's own console: lines typed on standard input, the end of that input,
// and the requests to stop that arrive as signals (Ctrl+C, kill). All are delivered as Qt
// signals in the thread that created the object. One per process.
class ProcessConsole : public QObject {
    Q_OBJECT

public:
    explicit ProcessConsole(QObject* parent = nullptr);
    ~ProcessConsole() override;

    static constexpr qsizetype MaxLineBytes = 1024;

Q_SIGNALS:
    void lineRead(const QString& line);
    // A line longer than MaxLineBytes (no command is) was dropped up to its end.
    void lineTooLong();
    void inputEnded();
    void stopRequested();

private:
    void readInput();
    void readStopRequest();

    QSocketNotifier* m_input = nullptr;
    QSocketNotifier* m_stop = nullptr;
    QByteArray m_pending;
    bool m_discarding = false; // inside a line that was too long
};
