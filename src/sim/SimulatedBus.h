#pragma once

#include "sim/FaultPlan.h"
#include "sim/SimulatedModule.h"
#include "sim/ZarnbusFrameReader.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <memory>
#include <vector>

class MonotonicClock;

// Bytes a module puts on the line, and when the last of them has arrived at the master.
struct ScheduledReply {
    qint64 dueUs = 0;
    QByteArray bytes;
};

// An RS-485 multi-drop bus of ZEX modules, seen from the wire: it takes the master's bytes with
// the line speed they were sent at, lets every module that can hear them act on the frames, and
// says which reply bytes go back and when. Each module hears only frames sent at its own baud
// rate, ignores frames for other stations, carries out broadcasts (station 0) without replying,
// and wakes from sleep on a run of ten zero bytes. With timing on, every byte costs ten bit times
// and a reply starts a turnaround after the request's last byte; with timing off, replies are due
// as soon as the request arrives.
class SimulatedBus {
public:
    SimulatedBus(MonotonicClock& clock, quint32 seed);

    SimulatedModule& addModule(const ModuleConfig& config);
    int moduleCount() const { return int(m_stations.size()); }
    SimulatedModule& module(int index) { return *m_stations.at(index).module; }
    // The module that answers to a station now (the first, if several do), or nullptr.
    SimulatedModule* moduleAtStation(int station);
    int indexOfStation(int station);

    FaultPlan& busFaults() { return m_busFaults; }
    FaultPlan& moduleFaults(int index) { return m_stations.at(index).faults; }

    void setTiming(bool on) { m_timing = on; }
    bool timing() const { return m_timing; }
    void setTurnaroundUs(qint64 us) { m_turnaroundUs = us; }
    qint64 turnaroundUs() const { return m_turnaroundUs; }

    // The master's bytes, arriving at arrivalUs (any steady time base in µs) at lineBaud.
    QList<ScheduledReply> receive(const QByteArray& bytes, qint64 arrivalUs, int lineBaud);

    // Every well-formed frame seen on the line, oldest first (the last few thousand).
    const QList<QByteArray>& framesSeen() const { return m_framesSeen; }
    void clearFramesSeen() { m_framesSeen.clear(); }
    int droppedFrames() const { return m_reader.droppedFrames(); }

    static qint64 ByteTimeUs(int baud);
    static constexpr qint64 DefaultTurnaroundUs = 2000;
    static constexpr int WakeZeroBytes = 10;

private:
    struct Station {
        std::unique_ptr<SimulatedModule> module;
        FaultPlan faults;
    };

    QByteArray answer(SimulatedModule& module, const ZarnbusRequest& request);
    QByteArray spoil(FaultPlan::Kind fault, QByteArray reply, quint8 station);
    std::optional<ScheduledReply> handle(const ZarnbusRequest& request, qint64 endUs, int lineBaud);

    MonotonicClock& m_clock;
    QRandomGenerator m_random;
    std::vector<Station> m_stations;
    FaultPlan m_busFaults;
    ZarnbusFrameReader m_reader;
    bool m_timing = true;
    qint64 m_turnaroundUs = DefaultTurnaroundUs;
    qint64 m_lineFreeUs = 0;
    int m_zeroRun = 0;
    QList<QByteArray> m_framesSeen;
};
