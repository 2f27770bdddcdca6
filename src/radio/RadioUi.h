#pragma once

#include <QString>
#include <functional>

// What the radio procedures need from the window that runs them. The Home page supplies its
// message dialog, pointer, window enabling and page registry; zexctl supplies console output.
// Every member may be left empty: it is then skipped (hasDevice then accepts "ZEX").
struct RadioUi {
    enum class MessageMode { OK, Notice };

    std::function<void(const QString& text, bool isError)> showStatus;
    // Notice messages stay up until closeMessage(); OK messages wait for the user.
    std::function<void(const QString& title, const QString& text, bool isError, MessageMode mode)>
        showMessage;
    std::function<void()> closeMessage;
    std::function<void(bool busy)> setBusyPointer;
    std::function<void(bool enabled)> setWindowEnabled;
    // Polled during pairing and manual connection; true ends the wait (the Escape key).
    std::function<bool()> escapePressed;
    // Whether a model of this name is supported (the page registry's HasDevice).
    std::function<bool(const QString& model)> hasDevice;
    // Drops the previous device's pages before a new radio device becomes current.
    std::function<void()> unloadPages;
    // Builds the device table, selects the model and builds its navigation.
    std::function<void(const QString& model)> showModelPages;

    void status(const QString& text, bool isError) const {
        if (showStatus) {
            showStatus(text, isError);
        }
    }
    void message(const QString& title, const QString& text, bool isError, MessageMode mode) const {
        if (showMessage) {
            showMessage(title, text, isError, mode);
        }
    }
    void close() const {
        if (closeMessage) {
            closeMessage();
        }
    }
    void busy(bool on) const {
        if (setBusyPointer) {
            setBusyPointer(on);
        }
    }
    void windowEnabled(bool on) const {
        if (setWindowEnabled) {
            setWindowEnabled(on);
        }
    }
    bool escape() const { return escapePressed && escapePressed(); }
    bool supports(const QString& model) const {
        return hasDevice ? hasDevice(model)
                         : model.compare(QLatin1String("ZEX"), Qt::CaseInsensitive) == 0;
    }
    void unload() const {
        if (unloadPages) {
            unloadPages();
        }
    }
    void pagesFor(const QString& model) const {
        if (showModelPages) {
            showModelPages(model);
        }
    }
};

// Shows the busy pointer for as long as it lives, so a refused radio call cannot leave it on.
class BusyPointer {
public:
    explicit BusyPointer(const RadioUi& ui)
        : m_ui(ui) {
        m_ui.busy(true);
    }
    ~BusyPointer() { m_ui.busy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    const RadioUi& m_ui;
};

// A Notice message that is closed whichever way the procedure leaves, a refused radio call
// included, so no "Pairing..." or "Connecting" dialog outlives the procedure that opened it.
class NoticeMessage {
public:
    explicit NoticeMessage(const RadioUi& ui)
        : m_ui(ui) {}
    ~NoticeMessage() {
        try {
            close();
        } catch (...) {
            // Already leaving; the window closes its dialogs itself when it goes.
        }
    }
    NoticeMessage(const NoticeMessage&) = delete;
    NoticeMessage& operator=(const NoticeMessage&) = delete;

    void show(const QString& title, const QString& text) {
        m_ui.message(title, text, false, RadioUi::MessageMode::Notice);
        m_open = true;
    }
    void close() {
        if (m_open) {
            m_open = false;
            m_ui.close();
        }
    }

private:
    const RadioUi& m_ui;
    bool m_open = false;
};
