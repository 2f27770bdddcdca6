#include "device/DeviceThread.h"

#include "device/CurrentDevice.h"
#include "util/MonotonicClock.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <exception>

DeviceThread::DeviceThread(QObject* parent)
    : QObject(parent)
    , m_thread(std::make_unique<QThread>()) {
    m_thread->setObjectName(QStringLiteral("device"));
    m_worker = new QObject;
    m_worker->moveToThread(m_thread.get());
    connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
}

DeviceThread::~DeviceThread() {
    if (!stop(5000)) {
        // A job is still blocked on the wire; destroying a running QThread would abort the
        // process, so it is left to end with the process.
        (void)m_thread.release();
    }
}

void DeviceThread::post(Job job) {
    enqueue(Entry{std::move(job), nullptr, false, nullptr});
}

void DeviceThread::post(Job job, QObject* receiver, Job done) {
    enqueue(Entry{std::move(job), receiver, receiver != nullptr, std::move(done)});
}

void DeviceThread::enqueue(Entry entry) {
    if (m_stopped.load()) {
        return;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_queue.push_back(std::move(entry));
    }
    ++m_pending;
    QMetaObject::invokeMethod(
        m_worker, [this] { drain(); }, Qt::QueuedConnection);
}

void DeviceThread::drain() {
    if (m_draining) {
        return;
    }
    m_draining = true;
    for (;;) {
        Entry entry;
        {
            QMutexLocker lock(&m_mutex);
            if (m_queue.empty() || m_stopped.load()) {
                break;
            }
            entry = std::move(m_queue.front());
            m_queue.pop_front();
        }
        runEntry(entry);
    }
    m_draining = false;
}

void DeviceThread::runEntry(Entry& entry) {
    QString failure;
    try {
        if (entry.job) {
            entry.job();
        }
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    } catch (...) {
        failure = QStringLiteral("unknown failure");
    }
    updateErrorMirror();
    if (!failure.isEmpty() && m_failureHandler) {
        m_failureHandler(failure);
    }
    if (entry.done) {
        // Delivered through this object, which lives on the window thread, so the receiver is
        // checked on the thread that deletes it.
        QMetaObject::invokeMethod(
            this,
            [receiver = entry.receiver, hasReceiver = entry.hasReceiver, done = entry.done] {
                if (!hasReceiver || receiver) {
                    done();
                }
            },
            Qt::QueuedConnection);
    }
    --m_pending;
}

void DeviceThread::updateErrorMirror() {
    bool pending = false;
    try {
        ZEX* device = CurrentDevice::Get();
        pending = device && device->ErrorState();
    } catch (...) {
        pending = false;
    }
    m_errorPending.store(pending);
}

bool DeviceThread::waitIdle(MonotonicClock& clock, qint64 timeoutMs) {
    const qint64 end = clock.nowMs() + timeoutMs;
    while (isBusy()) {
        if (clock.nowMs() >= end) {
            return false;
        }
        if (QCoreApplication::instance()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        clock.waitMs(2);
    }
    // The completions posted by the last job are delivered before the caller goes on.
    if (QCoreApplication::instance() && m_thread.get() != QThread::currentThread()) {
        QCoreApplication::processEvents();
    }
    return true;
}

bool DeviceThread::stop(qint64 timeoutMs) {
    m_stopped.store(true);
    {
        QMutexLocker lock(&m_mutex);
        m_pending -= int(m_queue.size());
        m_queue.clear();
    }
    if (!m_thread || m_thread->isFinished()) {
        return true;
    }
    m_thread->quit();
    return m_thread->wait(QDeadlineTimer(timeoutMs));
}

void DeviceThread::setFailureHandler(std::function<void(const QString&)> handler) {
    m_failureHandler = std::move(handler);
}

namespace WindowThread {

void Call(QObject* context, const std::function<void()>& call) {
    if (!context || QThread::currentThread() == context->thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(context, call, Qt::BlockingQueuedConnection);
}

} // namespace WindowThread
