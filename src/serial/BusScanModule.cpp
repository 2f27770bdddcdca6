#include "serial/BusScanModule.h"

#include "serial/SerialClass.h"
#include "serial/SerialPortControl.h"
#include "serial/Zarnbus2LogRecorder.h"
#include "serial/Zarnbus2Module.h"
#include "serial/ZarnbusNumbers.h"

namespace BusScanModule {
namespace {

constexpr double FirstFirmwareWithSerialNumber = 3.0;

bool openAt(Zarnbus2Link& link, const Request& request, int baudRate) {
    return request.portNumber > 0
               ? Zarnbus2Module::OpenPort(link, request.portNumber, baudRate)
               : Zarnbus2Module::OpenPortByName(link, request.devicePath, baudRate);
}

QString serialNumberOf(Zarnbus2Link& link, int station, float firmware) {
    // The version is compared as the text it reads as, so 3.0 (2.9999999 as a single) counts.
    if (QString::number(firmware, 'g', 7).toDouble() < FirstFirmwareWithSerialNumber) {
        return QString();
    }
    SerialClass module(link);
    module.DriverStation(quint8(station));
    const DeviceValue serial = module.SERIALNUMBER();
    return module.ErrorState() ? QString() : serial.toText();
}

} // namespace

QList<FoundModule> Scan(Zarnbus2Link& link, const Request& request, const Progress& progress,
                        QString* error) {
    QList<FoundModule> found;
    for (const int baudRate : request.baudRates) {
        if (!openAt(link, request, baudRate)) {
            if (error) {
                *error = link.openFailureText;
            }
            return found;
        }
        try {
            Zarnbus2Module::WakeBus(link);
            for (int station = request.firstStation; station <= request.lastStation; ++station) {
                if (progress) {
                    progress(baudRate, station);
                }
                // One attempt, no retries: a transaction would try three times and wait a
                // second each, which on 508 empty stations is a quarter of an hour.
                const QByteArray frame = Zarnbus2Module::BuildRequest(
                    quint8(station), true, ZarnbusNumber::VERS, false, 0.0f);
                std::optional<Zarnbus2LogRecorder> record = Zarnbus2LogRecorder::Begin(
                    link, quint8(station), true, ZarnbusNumber::VERS, false, 0.0f);
                const QByteArray reply = Zarnbus2Module::Exchange(
                    link, frame, Zarnbus2Module::ReadReplyLength, request.timeoutMs);
                const Zarnbus2Module::ClassifiedReply outcome = Zarnbus2Module::ClassifyReply(
                    reply, quint8(station), true, Zarnbus2Module::ReadReplyLength);
                if (record) {
                    record->attempt(frame, reply, outcome.replyClass);
                    record->finish(outcome.replyClass == Zarnbus2Module::ReplyClass::Value
                                       ? DeviceValue(outcome.value)
                                       : DeviceValue());
                }
                if (outcome.replyClass == Zarnbus2Module::ReplyClass::Value) {
                    found.append(FoundModule{station, baudRate, outcome.value,
                                             serialNumberOf(link, station, outcome.value)});
                }
            }
        } catch (const SerialPortError& failure) {
            if (error) {
                *error = failure.message();
            }
            return found;
        }
    }
    return found;
}

} // namespace BusScanModule
