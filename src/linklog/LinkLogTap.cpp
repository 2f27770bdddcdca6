#include "linklog/LinkLogTap.h"

#include <algorithm>

void LinkLogTap::add(std::shared_ptr<LinkLogSink> sink) {
    if (!sink) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_sinks.push_back(std::move(sink));
    m_active.store(true, std::memory_order_release);
}

void LinkLogTap::remove(const std::shared_ptr<LinkLogSink>& sink) {
    std::lock_guard lock(m_mutex);
    m_sinks.erase(std::remove(m_sinks.begin(), m_sinks.end(), sink), m_sinks.end());
    m_active.store(!m_sinks.empty(), std::memory_order_release);
}

void LinkLogTap::publish(const LinkLogRecord& record) const {
    std::vector<std::shared_ptr<LinkLogSink>> sinks;
    {
        std::lock_guard lock(m_mutex);
        sinks = m_sinks;
    }
    for (const std::shared_ptr<LinkLogSink>& sink : sinks) {
        sink->record(record);
    }
}

LinkLogSubscription::LinkLogSubscription(LinkLogTap* tap, std::shared_ptr<LinkLogSink> sink)
    : m_tap(tap)
    , m_sink(std::move(sink)) {
    if (m_tap) {
        m_tap->add(m_sink);
    }
}

LinkLogSubscription::~LinkLogSubscription() {
    if (m_tap) {
        m_tap->remove(m_sink);
    }
}
