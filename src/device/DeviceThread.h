#pragma once

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>

class MonotonicClock;

// Every exchange with the module runs here: on one thread of its own, one job at a time, in the
// order the jobs were posted. The window thread posts a job and goes on; what the job found is
// handed back to it afterwards. So the window never waits on the wire (a silent module's
// three-second timeout included), and two transactions never interleave on the port, because
// there is only one thread that makes them.
//
// The port, the drivers and the radio objects are created, used and destroyed inside jobs, so
// they belong to this thread. A job that raises does not end the program: the failure is
// reported to the failure handler and the next job runs.
class DeviceThread : public QObject {
    Q_OBJECT

public:
    using Job = std::function<void()>;

    explicit DeviceThread(QObject* parent = nullptr);
    // Stops the thread after the running job; queued jobs are dropped.
    ~DeviceThread() override;
    DeviceThread(const DeviceThread&) = delete;
    DeviceThread& operator=(const DeviceThread&) = delete;

    // Queues a job. Nothing runs once stop() has been called.
    void post(Job job);
    // Queues a job, then runs done on this object's thread (the window thread) when it has run,
    // also when it raised. done is skipped when receiver has been deleted by then.
    void post(Job job, QObject* receiver, Job done);

    // True while a job is queued or running.
    bool isBusy() const { return m_pending.load() > 0; }

    // Whether the current device reported a link failure after the last job, for the window
    // thread, which must not ask the driver itself while a job may be using it.
    bool errorPending() const { return m_errorPending.load(); }

    // Waits, letting the calling thread's events run (so a job that asks the window something
    // is answered), until no job is queued or running or timeoutMs has passed on the clock.
    bool waitIdle(MonotonicClock& clock, qint64 timeoutMs);

    // No further jobs are taken; the running one finishes. False when the thread did not end
    // within timeoutMs (a job blocked on the wire): the thread is then left to the process's end.
    bool stop(qint64 timeoutMs);

    // Called on the device thread with the reason when a job raised.
    void setFailureHandler(std::function<void(const QString&)> handler);

private:
    struct Entry {
        Job job;
        QPointer<QObject> receiver;
        bool hasReceiver = false;
        Job done;
    };

    void enqueue(Entry entry);
    // On the device thread: runs every queued job. A job that lets events run (a wait that keeps
    // the thread responsive) cannot start the next job inside itself: nested calls return at once.
    void drain();
    void runEntry(Entry& entry);
    void updateErrorMirror();

    std::unique_ptr<QThread> m_thread;
    QObject* m_worker = nullptr; // lives on the device thread; jobs are delivered to it
    QMutex m_mutex;
    std::deque<Entry> m_queue;
    bool m_draining = false;
    std::atomic<int> m_pending{0};
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_errorPending{false};
    std::function<void(const QString&)> m_failureHandler;
};

namespace WindowThread {

// Runs the call on the thread of context (the window thread) and waits for it to return; runs it
// directly when the caller is on that thread already. The device thread reaches the window only
// this way, for dialogs and for what the window shows.
void Call(QObject* context, const std::function<void()>& call);

} // namespace WindowThread
