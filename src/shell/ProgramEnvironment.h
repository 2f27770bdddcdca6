#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class MonotonicClock;
class RadioFactory;

// What the program takes from the machine it runs on, gathered in one place so tests can supply
// their own: the folders, the keyboard at start-up, the clock that every wait is measured on,
// the radio support, the system message box, the desktop's "open" and the end of the process.
struct ProgramEnvironment {
    // Brand file, fonts and manuals sit here: beside the executable in the build tree, the
    // package's share folder when installed (ResourceFolder).
    QString programFolder;
    // Parents of the per-user folders; the platform's own when empty.
    QString configBase;
    QString documentsBase;
    // Whether Ctrl and Shift are both held (start-up: factory mode; a brand file that fails
    // verification: the built-in look).
    std::function<bool()> ctrlAndShiftHeld;
    MonotonicClock* clock = nullptr;
    // Made on the device thread, where the radio objects live.
    std::function<std::unique_ptr<RadioFactory>(MonotonicClock& clock)> radioFactory;
    // The system's message box with the critical-stop icon ("Warning", "Error Closing").
    std::function<void(const QString& title, const QString& text)> criticalBox;
    // The desktop's "open" for a document or a web address; false when it failed.
    std::function<bool(const QUrl& url)> openUrl;
    // A port to preselect on the Home page instead of the stored one (0: the stored one). Not
    // written to the settings unless the user connects with it.
    int preselectedPort = 0;

    // The real machine: the resource folder of the executable, the keyboard, the system clock, the
    // radio base station service, QMessageBox and QDesktopServices.
    static ProgramEnvironment System();
};
