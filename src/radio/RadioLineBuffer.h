#pragma once

#include <QByteArray>
#include <optional>

// Collects bytes from a socket and hands out complete lines (without "\n", a trailing "\r"
// dropped). A peer that sends more than the limit without a line end is broken: the buffer
// reports it and holds nothing more.
class RadioLineBuffer {
public:
    explicit RadioLineBuffer(int maxLineBytes)
        : m_maxLineBytes(maxLineBytes) {}

    void append(const QByteArray& bytes);
    std::optional<QByteArray> takeLine();
    bool overflowed() const { return m_overflowed; }
    void clear();

private:
    int m_maxLineBytes;
    QByteArray m_pending;
    bool m_overflowed = false;
};
