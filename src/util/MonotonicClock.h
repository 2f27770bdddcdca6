#pragma once

#include <QtGlobal>

// Every wait in the system is measured on a monotonic clock, so nothing hangs or ends early when
// the time of day jumps. Tests pass a manual clock so retry and reset waits cost no real time.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual qint64 nowMs() const = 0;
    // Blocks for the given time. With keepUiResponsive, pending window events run meanwhile.
    virtual void waitMs(qint64 ms, bool keepUiResponsive = false) = 0;
};

// The real clock (QElapsedTimer's monotonic source).
class SteadyClock : public MonotonicClock {
public:
    qint64 nowMs() const override;
    void waitMs(qint64 ms, bool keepUiResponsive = false) override;
};

// A clock that moves only when told to; waiting advances it at once.
class ManualClock : public MonotonicClock {
public:
    qint64 nowMs() const override { return m_now; }
    void waitMs(qint64 ms, bool keepUiResponsive = false) override;
    void advance(qint64 ms) { m_now += ms; }
    qint64 totalWaitedMs() const { return m_waited; }

private:
    qint64 m_now = 0;
    qint64 m_waited = 0;
};

// The process-wide real clock, for code that is not given one.
MonotonicClock& systemClock();
