#include "linklog/LinkLogWatch.h"

void LinkLogWatch::record(const LinkLogRecord& record) {
    std::lock_guard lock(m_mutex);
    if (record.result == LinkLogRecord::Result::Refused) {
        m_sawRefusal = true;
    }
}

void LinkLogWatch::reset() {
    std::lock_guard lock(m_mutex);
    m_sawRefusal = false;
}

bool LinkLogWatch::sawRefusal() const {
    std::lock_guard lock(m_mutex);
    return m_sawRefusal;
}
