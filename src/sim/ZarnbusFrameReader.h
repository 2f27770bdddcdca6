#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// One request frame as a module's receiver takes it off the line.
struct ZarnbusRequest {
    quint8 station = 0;
    quint8 command = 0; // as sent: bit 7 set for reads and commands
    bool isWrite = false;
    float value = 0.0f; // writes only
    QByteArray bytes;   // the whole frame, start byte to checksum

    int number() const { return command & 0x7F; }
};

// A module's receiver: finds request frames in the byte stream as it arrives. Noise between
// frames is skipped; a frame with a bad checksum, a byte that cannot stand where it stands, or a
// gap in the middle is dropped, and the search starts again at the next start byte after the
// dropped one, so a truncated frame never costs the one that follows it.
class ZarnbusFrameReader {
public:
    // A frame whose bytes stop coming for this long is abandoned.
    static constexpr qint64 GapUs = 50000;

    // Takes one byte received at timeUs; returns the frames it completes (usually none or one).
    QList<ZarnbusRequest> take(quint8 byte, qint64 timeUs);
    int droppedFrames() const { return m_dropped; }

private:
    // 0: not enough bytes yet; -1: cannot become a frame; otherwise the full frame's length.
    int assess() const;
    void resynchronise();

    QByteArray m_buffer;
    qint64 m_lastByteUs = 0;
    int m_dropped = 0;
};
