#pragma once

#include <QtGlobal>

// The base-station object: the USB base station itself.
class RadioBaseStation {
public:
    virtual ~RadioBaseStation() = default;

    // True when a base station answers.
    virtual bool open() = 0;
    virtual quint32 baseStationId() = 0;
    virtual quint8 channel() = 0;
    // Takes effect with commit().
    virtual void setChannel(quint8 channel) = 0;
    virtual void commit() = 0;
    // Releases the base station after a channel change.
    virtual void close() = 0;
    // Non-zero after an operation that failed.
    virtual qint32 errorFlag() = 0;
};
