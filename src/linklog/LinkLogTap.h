#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

struct LinkLogRecord;

// Where the link log's records go: the Link log window's buffer, zexctl's trace, a procedure
// watching for refusals.
class LinkLogSink {
public:
    virtual ~LinkLogSink() = default;
    // Called on the thread that talks to the module, once a transaction has ended (its reply
    // classified, nothing more to send), so it never stretches an exchange on the wire. It should
    // return quickly all the same: the next transaction waits for it.
    virtual void record(const LinkLogRecord& record) = 0;
};

// The point where the links hand over their records. The links ask active() before doing any
// work for the log, so with no sink installed a transaction pays one atomic load. Sinks are added
// and removed from any thread; a sink removed while a record is on its way to it is kept alive by
// the tap until that call has returned.
class LinkLogTap {
public:
    void add(std::shared_ptr<LinkLogSink> sink);
    void remove(const std::shared_ptr<LinkLogSink>& sink);

    bool active() const noexcept { return m_active.load(std::memory_order_acquire); }
    // Hands the record to every sink installed at this moment, outside the tap's lock, so a sink
    // may add or remove sinks itself.
    void publish(const LinkLogRecord& record) const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<LinkLogSink>> m_sinks;
    std::atomic<bool> m_active{false};
};

// Installs a sink for as long as it lives.
class LinkLogSubscription {
public:
    LinkLogSubscription(LinkLogTap* tap, std::shared_ptr<LinkLogSink> sink);
    ~LinkLogSubscription();
    LinkLogSubscription(const LinkLogSubscription&) = delete;
    LinkLogSubscription& operator=(const LinkLogSubscription&) = delete;

private:
    LinkLogTap* m_tap;
    std::shared_ptr<LinkLogSink> m_sink;
};
