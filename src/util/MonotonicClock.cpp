#include "util/MonotonicClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

qint64 SteadyClock::nowMs() const {
    static const QElapsedTimer origin = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return origin.elapsed();
}

void SteadyClock::waitMs(qint64 ms, bool keepUiResponsive) {
    if (ms <= 0) {
        return;
    }
    if (!keepUiResponsive || !QCoreApplication::instance()) {
        QThread::msleep(quint64(ms));
        return;
    }
    const qint64 end = nowMs() + ms;
    for (qint64 left = ms; left > 0; left = end - nowMs()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(qMin<qint64>(left, 10)));
        QThread::msleep(quint64(qMin<qint64>(left, 5)));
    }
}

void ManualClock::waitMs(qint64 ms, bool) {
    if (ms > 0) {
        m_now += ms;
        m_waited += ms;
    }
}

MonotonicClock& systemClock() {
    static SteadyClock clock;
    return clock;
}
