#pragma once

#include <QObject>
#include <atomic>

// Remembers that Escape was pressed anywhere in the program, for the pairing and connect loops
// that run on the device thread and poll it. Installed on the application, so the key is seen
// even while the main window is disabled during those loops.
class EscapeLatch : public QObject {
    Q_OBJECT

public:
    explicit EscapeLatch(QObject* parent = nullptr);

    // Forgets an earlier press; called as a loop starts.
    void clear() { m_latched.store(false); }
    // Safe from any thread.
    bool isLatched() const { return m_latched.load(); }
    void latch() { m_latched.store(true); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::atomic<bool> m_latched{false};
};
