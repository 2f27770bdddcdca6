#include "shell/WindowUi.h"

#include "device/DeviceThread.h"
#include "shell/EscapeLatch.h"
#include "shell/MainFrm.h"
#include "shell/MessageFrm.h"
#include "shell/PageRegistry.h"

#include <QPointer>

namespace WindowUi {
namespace {

void onWindow(MainFrm* window, const std::function<void()>& call) {
    WindowThread::Call(window, call);
}

void showModelPages(MainFrm* window, const QString& model) {
    onWindow(window, [window, model] {
        PageRegistry& registry = window->Registry();
        registry.BuildDeviceTable();
        registry.SelectDevice(model);
        registry.BuildMenu();
    });
}

} // namespace

RadioUi ForRadio(MainFrm& mainWindow) {
    MainFrm* window = &mainWindow;
    RadioUi ui;
    ui.showStatus = [window](const QString& text, bool isError) {
        onWindow(window, [window, text, isError] { window->ShowStatus(text, isError); });
    };
    // ShowMessage takes the message before the title.
    ui.showMessage = [window](const QString& title, const QString& text, bool isError,
                              RadioUi::MessageMode mode) {
        const qint16 dialogMode =
            mode == RadioUi::MessageMode::OK ? MessageFrm::ModeOK : MessageFrm::ModeNotice;
        onWindow(window, [text, title, isError, dialogMode] {
            ShowMessage(text, title, isError, dialogMode);
        });
    };
    ui.closeMessage = [window] { onWindow(window, [] { UnloadMessageFrm(); }); };
    ui.setBusyPointer = [window](bool busy) {
        onWindow(window, [window, busy] { window->SetBusyPointer(busy); });
    };
    ui.setWindowEnabled = [window](bool enabled) {
        onWindow(window, [window, enabled] { window->setEnabled(enabled); });
    };
    EscapeLatch* latch = &mainWindow.Escape();
    ui.escapePressed = [latch] { return latch->isLatched(); };
    ui.hasDevice = [window](const QString& model) {
        bool known = false;
        onWindow(window, [window, model, &known] { known = window->Registry().HasDevice(model); });
        return known;
    };
    ui.unloadPages = [window] { onWindow(window, [window] { window->Registry().UnloadPages(); }); };
    ui.showModelPages = [window](const QString& model) { showModelPages(window, model); };
    return ui;
}

SerialConnectUi ForSerial(MainFrm& mainWindow) {
    MainFrm* window = &mainWindow;
    SerialConnectUi ui;
    ui.showMessage = [window](const QString& title, const QString& text, bool isError) {
        onWindow(window,
                 [text, title, isError] { ShowMessage(text, title, isError, MessageFrm::ModeOK); });
    };
    ui.showStatus = [window](const QString& text, bool isError) {
        onWindow(window, [window, text, isError] { window->ShowStatus(text, isError); });
    };
    ui.setBusyPointer = [window](bool busy) {
        onWindow(window, [window, busy] { window->SetBusyPointer(busy); });
    };
    ui.doErrorReset = [window] { onWindow(window, [window] { window->DoErrorReset(); }); };
    ui.showModelPages = [window](const QString& model) { showModelPages(window, model); };
    return ui;
}

} // namespace WindowUi
