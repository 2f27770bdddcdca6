#include "sim/ZarnbusFrameReader.h"

#include "serial/Zarnbus2Module.h"

namespace {

constexpr int RequestLength = 5;
constexpr int WriteLength = 13;
constexpr int FirstDataByte = 3;
constexpr int LastDataByte = 10;
constexpr quint8 ReadFlag = 0x80;
constexpr quint8 EndMarker = 0x80;

bool isNibble(quint8 byte) {
    return byte <= 0x0F;
}

} // namespace

int ZarnbusFrameReader::assess() const {
    if (m_buffer.size() < 3) {
        return 0;
    }
    const bool isWrite = (quint8(m_buffer[2]) & ReadFlag) == 0;
    const int length = isWrite ? WriteLength : RequestLength;
    // Every byte after the command is a nibble, except the last data byte of a write, which
    // carries the end marker: anything else means this was no frame.
    for (int i = 3; i < m_buffer.size() && i < length; ++i) {
        const quint8 byte = quint8(m_buffer[i]);
        if (isWrite && i == LastDataByte) {
            if ((byte & EndMarker) == 0 || !isNibble(byte & 0x7F)) {
                return -1;
            }
        } else if (!isNibble(byte)) {
            return -1;
        }
    }
    if (m_buffer.size() < length) {
        return 0;
    }
    const QByteArray covered = m_buffer.mid(1, length - 3);
    if (Zarnbus2Module::ChecksumBytes(covered) != m_buffer.mid(length - 2, 2)) {
        return -1;
    }
    return length;
}

void ZarnbusFrameReader::resynchronise() {
    ++m_dropped;
    const qsizetype next = m_buffer.indexOf(char(Zarnbus2Module::StartByte), 1);
    m_buffer = next < 0 ? QByteArray() : m_buffer.mid(next);
}

QList<ZarnbusRequest> ZarnbusFrameReader::take(quint8 byte, qint64 timeUs) {
    QList<ZarnbusRequest> frames;
    if (!m_buffer.isEmpty() && timeUs - m_lastByteUs > GapUs) {
        ++m_dropped;
        m_buffer.clear();
    }
    m_lastByteUs = timeUs;
    if (m_buffer.isEmpty() && byte != Zarnbus2Module::StartByte) {
        return frames; // noise between frames
    }
    m_buffer.append(char(byte));

    while (!m_buffer.isEmpty()) {
        const int length = assess();
        if (length == 0) {
            break;
        }
        if (length < 0) {
            resynchronise();
            continue;
        }
        ZarnbusRequest request;
        request.bytes = m_buffer.left(length);
        request.station = quint8(m_buffer[1]);
        request.command = quint8(m_buffer[2]);
        request.isWrite = length == WriteLength;
        if (request.isWrite) {
            request.value = Zarnbus2Module::DecodeValue(m_buffer.mid(FirstDataByte, 8));
        }
        frames.append(request);
        m_buffer.remove(0, length);
        const qsizetype next = m_buffer.indexOf(char(Zarnbus2Module::StartByte));
        m_buffer = next < 0 ? QByteArray() : m_buffer.mid(next);
    }
    return frames;
}
