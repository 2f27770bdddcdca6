#include "serial/SerialProcedures.h"

#include "device/CurrentDevice.h"
#include "serial/SerialClass.h"
#include "serial/Zarnbus2Module.h"
#include "util/MonotonicClock.h"

#include <memory>

namespace SerialProcedures {
namespace {

void message(const SerialConnectUi& ui, const QString& text) {
    if (ui.showMessage) {
        ui.showMessage(QStringLiteral("Error"), text, true);
    }
}

void errorReset(const SerialConnectUi& ui) {
    if (ui.doErrorReset) {
        ui.doErrorReset();
    }
}

void busy(const SerialConnectUi& ui, bool on) {
    if (ui.setBusyPointer) {
        ui.setBusyPointer(on);
    }
}

} // namespace

Result Connect(Zarnbus2Link& link, const Request& request, const SerialConnectUi& ui) {
    Result result;
    if (!Zarnbus2Module::OpenPort(link, request.portNumber, request.baudRate)) {
        result.outcome = Outcome::PortNotOpened;
        result.problem = link.openFailureText;
        message(ui, QStringLiteral("Cannot open selected serial port!"));
        errorReset(ui);
        // The reason the port layer knows (busy with which program, the group to join) stays in
        // the status line after the reset has cleared it.
        if (ui.showStatus && !result.problem.isEmpty()) {
            ui.showStatus(result.problem, false);
        }
        return result;
    }

    auto device = std::make_shared<SerialClass>(link);
    device->DriverStation(quint8(qBound(0, request.station, 255)));
    busy(ui, true);
    device->WAKE();
    // A module that was asleep answers once it has had a moment after the wake bytes.
    CurrentDevice::Connect(device, [&link] { link.clock.waitMs(RetryPauseMs); });
    busy(ui, false);

    if (device->ErrorState()) {
        result.outcome = Outcome::NoModule;
        message(ui, QStringLiteral("Cannot find a module on this port!"));
        errorReset(ui);
        return result;
    }
    result.outcome = Outcome::Connected;
    if (ui.showModelPages) {
        ui.showModelPages(QStringLiteral("ZEX"));
    }
    return result;
}

} // namespace SerialProcedures
