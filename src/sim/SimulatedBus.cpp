#include "sim/SimulatedBus.h"

#include "serial/Zarnbus2Module.h"
#include "sim/SimParameterTable.h"

#include <algorithm>

namespace {

constexpr int BitsPerByte = 10; // start bit, eight data bits, stop bit
constexpr int FramesSeenLimit = 4096;

} // namespace

SimulatedBus::SimulatedBus(MonotonicClock& clock, quint32 seed)
    : m_clock(clock)
    , m_random(seed) {}

qint64 SimulatedBus::ByteTimeUs(int baud) {
    return baud > 0 ? (qint64(BitsPerByte) * 1000000 + baud / 2) / baud : 0;
}

SimulatedModule& SimulatedBus::addModule(const ModuleConfig& config) {
    m_stations.push_back(Station{std::make_unique<SimulatedModule>(config, m_clock), FaultPlan()});
    return *m_stations.back().module;
}

int SimulatedBus::indexOfStation(int station) {
    for (int i = 0; i < moduleCount(); ++i) {
        if (m_stations[i].module->station() == station) {
            return i;
        }
    }
    return -1;
}

SimulatedModule* SimulatedBus::moduleAtStation(int station) {
    const int index = indexOfStation(station);
    return index < 0 ? nullptr : m_stations[index].module.get();
}

QList<ScheduledReply> SimulatedBus::receive(const QByteArray& bytes, qint64 arrivalUs,
                                            int lineBaud) {
    QList<ScheduledReply> replies;
    const qint64 byteUs = ByteTimeUs(lineBaud);
    const qint64 startUs = m_timing ? std::max(arrivalUs, m_lineFreeUs) : arrivalUs;
    for (int i = 0; i < bytes.size(); ++i) {
        const quint8 byte = quint8(bytes[i]);
        const qint64 byteEndUs = m_timing ? startUs + (i + 1) * byteUs : arrivalUs;
        m_zeroRun = byte == 0 ? m_zeroRun + 1 : 0;
        if (m_zeroRun == WakeZeroBytes) {
            for (Station& station : m_stations) {
                if (station.module->baudRate() == lineBaud) {
                    station.module->wake();
                }
            }
        }
        for (const ZarnbusRequest& request : m_reader.take(byte, byteEndUs)) {
            m_framesSeen.append(request.bytes);
            if (m_framesSeen.size() > FramesSeenLimit) {
                m_framesSeen.removeFirst();
            }
            if (std::optional<ScheduledReply> reply = handle(request, byteEndUs, lineBaud)) {
                replies.append(*reply);
            }
        }
    }
    if (m_timing) {
        m_lineFreeUs = std::max(m_lineFreeUs, startUs + bytes.size() * byteUs);
    }
    return replies;
}

std::optional<ScheduledReply> SimulatedBus::handle(const ZarnbusRequest& request, qint64 endUs,
                                                   int lineBaud) {
    QByteArray collided;
    qint64 delayUs = 0;
    for (int i = 0; i < moduleCount(); ++i) {
        Station& station = m_stations[i];
        SimulatedModule& module = *station.module;
        // At another baud rate the frame is noise to this module's receiver.
        if (module.baudRate() != lineBaud || !module.isListening()) {
            continue;
        }
        if (request.station != 0 && request.station != module.station()) {
            continue;
        }
        std::optional<FaultPlan::Kind> fault;
        int faultDelayMs = 0;
        if (request.station != 0) {
            fault = m_busFaults.draw(m_random);
            faultDelayMs = m_busFaults.delayMs();
            if (!fault) {
                fault = station.faults.draw(m_random);
                faultDelayMs = station.faults.delayMs();
            }
        }
        if (fault == FaultPlan::Kind::Silence) {
            continue;
        }
        module.noteActivity();
        QByteArray reply = fault == FaultPlan::Kind::Nak ? Zarnbus2Module::BuildNak(request.station)
                                                         : answer(module, request);
        if (request.station == 0) {
            continue; // a broadcast is carried out by everyone and answered by no one
        }
        if (fault) {
            reply = spoil(*fault, reply, request.station);
        }
        if (fault == FaultPlan::Kind::Delay) {
            delayUs = std::max<qint64>(delayUs, qint64(faultDelayMs) * 1000);
        }
        // Two modules on one station talk at once: the line carries both, bit over bit.
        if (collided.size() < reply.size()) {
            collided.append(QByteArray(reply.size() - collided.size(), '\0'));
        }
        for (int b = 0; b < reply.size(); ++b) {
            collided[b] = char(quint8(collided[b]) | quint8(reply[b]));
        }
    }
    if (collided.isEmpty()) {
        return std::nullopt;
    }
    ScheduledReply scheduled;
    scheduled.bytes = collided;
    scheduled.dueUs = endUs + delayUs;
    if (m_timing) {
        // Half duplex: a reply waits for the one before it to leave the line.
        const qint64 startUs = std::max(endUs + m_turnaroundUs, m_lineFreeUs);
        const qint64 endOfReplyUs = startUs + collided.size() * ByteTimeUs(lineBaud);
        // A late reply is the module's own slowness; it keeps no one else off the line.
        m_lineFreeUs = std::max(m_lineFreeUs, endOfReplyUs);
        scheduled.dueUs = endOfReplyUs + delayUs;
    }
    return scheduled;
}

QByteArray SimulatedBus::answer(SimulatedModule& module, const ZarnbusRequest& request) {
    SimulatedModule::Reply reply;
    if (request.isWrite) {
        reply = module.write(request.number(), request.value);
    } else {
        const SimParameterTable::Entry* entry = SimParameterTable::Find(request.number());
        const bool isCommand = entry && entry->access == SimParameterTable::Access::Command;
        reply = isCommand ? module.command(request.number()) : module.read(request.number());
    }
    switch (reply.outcome) {
    case SimulatedModule::Outcome::Value:
        return Zarnbus2Module::BuildReadReply(request.station, reply.value);
    case SimulatedModule::Outcome::Acknowledged:
        return Zarnbus2Module::BuildAck(request.station);
    case SimulatedModule::Outcome::Refused:
        break;
    }
    return Zarnbus2Module::BuildNak(request.station);
}

QByteArray SimulatedBus::spoil(FaultPlan::Kind fault, QByteArray reply, quint8 station) {
    switch (fault) {
    case FaultPlan::Kind::Silence:
    case FaultPlan::Kind::Nak:
    case FaultPlan::Kind::Delay:
        break;
    case FaultPlan::Kind::BadChecksum:
        if (reply.size() == Zarnbus2Module::ReadReplyLength) {
            reply[reply.size() - 1] = char(quint8(reply.back()) ^ 0x01);
        } else {
            reply[1] = char(0x00); // neither ACK nor NAK
        }
        break;
    case FaultPlan::Kind::WrongStation:
        reply[0] = char(station >= 254 ? 1 : station + 1);
        break;
    case FaultPlan::Kind::Garbage:
        for (char& byte : reply) {
            byte = char(m_random.bounded(256));
        }
        if (quint8(reply[0]) == station) {
            reply[0] = char(station ^ 0x5A);
        }
        break;
    case FaultPlan::Kind::ShortReply:
        reply.truncate(reply.size() / 2);
        break;
    case FaultPlan::Kind::LongReply:
        reply.append(char(0x00));
        break;
    }
    return reply;
}
