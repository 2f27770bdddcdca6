#include "linklog/LinkLogBuffer.h"

#include <QDateTime>
#include <algorithm>

LinkLogBuffer::LinkLogBuffer(int capacity)
    : m_capacity(std::max(1, capacity)) {}

void LinkLogBuffer::record(const LinkLogRecord& record) {
    std::function<void()> toCall;
    {
        std::lock_guard lock(m_mutex);
        if (m_paused) {
            ++m_passedWhilePaused;
            return;
        }
        append(record, toCall);
    }
    if (toCall) {
        toCall();
    }
}

void LinkLogBuffer::append(const LinkLogRecord& record, std::function<void()>& toCall) {
    m_entries.push_back(Entry{++m_lastSequence, record});
    if (int(m_entries.size()) > m_capacity) {
        m_entries.pop_front();
    }
    if (!m_wakePending && m_listener) {
        m_wakePending = true;
        toCall = m_listener;
    }
}

void LinkLogBuffer::setListener(std::function<void()> listener) {
    std::lock_guard lock(m_mutex);
    m_listener = std::move(listener);
    // A new listener hears about records it has not fetched yet.
    m_wakePending = false;
}

QList<LinkLogBuffer::Entry> LinkLogBuffer::fetch(quint64& cursor) {
    std::lock_guard lock(m_mutex);
    m_wakePending = false;
    QList<Entry> result;
    // Sequences are consecutive, so the first entry after the cursor is found by arithmetic.
    if (!m_entries.empty() && cursor < m_entries.back().sequence) {
        const quint64 first = m_entries.front().sequence;
        const std::size_t start = cursor < first ? 0 : std::size_t(cursor - first + 1);
        result.reserve(qsizetype(m_entries.size() - start));
        for (std::size_t i = start; i < m_entries.size(); ++i) {
            result.append(m_entries[i]);
        }
    }
    cursor = std::max(cursor, m_lastSequence);
    return result;
}

QList<LinkLogBuffer::Entry> LinkLogBuffer::entries() const {
    std::lock_guard lock(m_mutex);
    return QList<Entry>(m_entries.begin(), m_entries.end());
}

int LinkLogBuffer::size() const {
    std::lock_guard lock(m_mutex);
    return int(m_entries.size());
}

void LinkLogBuffer::setPaused(bool paused) {
    std::function<void()> toCall;
    {
        std::lock_guard lock(m_mutex);
        if (paused == m_paused) {
            return;
        }
        m_paused = paused;
        if (paused || m_passedWhilePaused == 0) {
            return;
        }
        LinkLogRecord note;
        note.operation = LinkLogRecord::Operation::Note;
        note.wallTimeMs = QDateTime::currentMSecsSinceEpoch();
        note.outcomeText = m_passedWhilePaused == 1
                               ? QStringLiteral("1 transaction not logged while paused")
                               : QStringLiteral("%1 transactions not logged while paused")
                                     .arg(m_passedWhilePaused);
        m_passedWhilePaused = 0;
        append(note, toCall);
    }
    if (toCall) {
        toCall();
    }
}

bool LinkLogBuffer::paused() const {
    std::lock_guard lock(m_mutex);
    return m_paused;
}

void LinkLogBuffer::clear() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_passedWhilePaused = 0;
}
