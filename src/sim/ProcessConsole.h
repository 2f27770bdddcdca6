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

Q_SIGNALS:
    void lineRead(const QString& line);
    void inputEnded();
    void stopRequested();

private:
    void readInput();
    void readStopRequest();

    QSocketNotifier* m_input = nullptr;
    QSocketNotifier* m_stop = nullptr;
    QByteArray m_pending;
};
