#pragma once

#include "linklog/LinkLogRecord.h"
#include "linklog/LinkLogTap.h"

#include <QList>
#include <deque>
#include <functional>
#include <mutex>

// The last lines of the link log, for a window that shows them live: a sink that keeps the most
// recent records in a bounded ring. Records arrive on the thread that talks to the module; a
// reader on another thread is told that there are new ones and fetches them with a cursor.
//
// Telling is coalesced: the listener is called once when a record arrives after the reader's
// last fetch, not once per record, so a fast link cannot flood the reader's event queue.
class LinkLogBuffer : public LinkLogSink {
public:
    static constexpr int DefaultCapacity = 10000;

    struct Entry {
        quint64 sequence = 0; // 1 for the first record ever kept, counting on across clear()
        LinkLogRecord record;
    };

    explicit LinkLogBuffer(int capacity = DefaultCapacity);

    void record(const LinkLogRecord& record) override;

    // Called on the recording thread, outside the buffer's lock; it should only post a wake-up
    // to the reader (e.g. a queued call). Replacing or clearing it is safe from any thread, but a
    // call already under way may still finish after that.
    void setListener(std::function<void()> listener);

    // The entries after cursor (0 for all), oldest first; cursor moves to the newest returned.
    // Entries that fell out of the ring meanwhile are simply not there.
    QList<Entry> fetch(quint64& cursor);
    QList<Entry> entries() const;
    int size() const;

    // While paused the buffer keeps nothing new, so what a window shows, copies or saves stays
    // put; it counts what it let pass, and resuming adds a line saying how many.
    void setPaused(bool paused);
    bool paused() const;
    void clear();

private:
    void append(const LinkLogRecord& record, std::function<void()>& toCall);

    const int m_capacity;
    mutable std::mutex m_mutex;
    std::deque<Entry> m_entries;
    quint64 m_lastSequence = 0;
    quint64 m_fetchedUpTo = 0;
    bool m_wakePending = false;
    bool m_paused = false;
    quint64 m_passedWhilePaused = 0;
    std::function<void()> m_listener;
};
