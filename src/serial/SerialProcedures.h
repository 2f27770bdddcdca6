#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

struct Zarnbus2Link;

// What the serial connect needs from the window that runs it. Every member may be left empty;
// it is then skipped.
struct SerialConnectUi {
    // An OK message (the window waits for the user).
    std::function<void(const QString& title, const QString& text, bool isError)> showMessage;
    std::function<void(const QString& text, bool isError)> showStatus;
    std::function<void(bool busy)> setBusyPointer;
    // The main window's "Retry" reset: the status line and the device's error state.
    std::function<void()> doErrorReset;
    // Builds the device table, selects the model and builds its navigation.
    std::function<void(const QString& model)> showModelPages;
};

// The Home page's serial connection: open the port, make a SerialClass the current device, wake
// the module and read who it is. Runs without a window (tests, the program's device thread).
namespace SerialProcedures {

enum class Outcome {
    Connected,     // the module answered; its pages are offered
    PortNotOpened, // the port could not be opened (problem says why)
    NoModule,      // the port opened but no module answered at the station
};

struct Request {
    int portNumber = 0; // n of "COMn"
    int station = 1;    // 1 to 254
    int baudRate = 19200;
};

struct Result {
    Outcome outcome = Outcome::PortNotOpened;
    QString problem; // for PortNotOpened: the port layer's reason, naming port and device
};

inline constexpr qint64 RetryPauseMs = 1000;

// After a failed connect the new driver stays current in its error state, as a device that did
// not answer; the caller's error reset clears the status line.
Result Connect(Zarnbus2Link& link, const Request& request, const SerialConnectUi& ui);

} // namespace SerialProcedures
