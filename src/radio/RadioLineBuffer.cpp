#include "radio/RadioLineBuffer.h"

void RadioLineBuffer::append(const QByteArray& bytes) {
    if (m_overflowed) {
        return;
    }
    m_pending.append(bytes);
    // The unfinished last line may not outgrow a line; a flood of finished ones is capped too.
    const qsizetype unfinished = m_pending.size() - (m_pending.lastIndexOf('\n') + 1);
    if (unfinished > m_maxLineBytes || m_pending.size() > qsizetype(m_maxLineBytes) * 64) {
        m_overflowed = true;
        m_pending.clear();
    }
}

std::optional<QByteArray> RadioLineBuffer::takeLine() {
    const qsizetype end = m_pending.indexOf('\n');
    if (end < 0) {
        return std::nullopt;
    }
    QByteArray line = m_pending.left(end);
    m_pending.remove(0, end + 1);
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line.size() > m_maxLineBytes) {
        m_overflowed = true;
        m_pending.clear();
        return std::nullopt;
    }
    return line;
}

void RadioLineBuffer::clear() {
    m_pending.clear();
    m_overflowed = false;
}
