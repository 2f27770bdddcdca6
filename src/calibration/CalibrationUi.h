#pragma once

#include <QString>
#include <functional>

// What the calibration wizard needs from the page that runs it: the stage title, the instruction
// line, the action button's caption, whether a calibration is running (Abort offered, the load
// fields locked) and three kinds of message. The page carries each call over to its window; a
// test records them. A member left empty is skipped; an unanswered question counts as No.
struct CalibrationUi {
    std::function<void(const QString& text)> showStage;
    std::function<void(const QString& text)> showInstructions;
    std::function<void(const QString& caption)> showCaptureCaption;
    std::function<void(bool running)> setRunning;
    // An input error in the message dialog (is-error, OK).
    std::function<void(const QString& title, const QString& text)> showError;
    // A question in the message dialog (is-error, YesNo); true when the answer is Yes.
    std::function<bool(const QString& title, const QString& text)> askYesNo;
    // The same question in the system's message box with the exclamation icon; true for Yes.
    std::function<bool(const QString& title, const QString& text)> askInBox;

    void stage(const QString& text) const {
        if (showStage) {
            showStage(text);
        }
    }
    void instructions(const QString& text) const {
        if (showInstructions) {
            showInstructions(text);
        }
    }
    void caption(const QString& text) const {
        if (showCaptureCaption) {
            showCaptureCaption(text);
        }
    }
    void running(bool on) const {
        if (setRunning) {
            setRunning(on);
        }
    }
    void error(const QString& title, const QString& text) const {
        if (showError) {
            showError(title, text);
        }
    }
    bool yesNo(const QString& title, const QString& text) const {
        return askYesNo && askYesNo(title, text);
    }
    bool box(const QString& title, const QString& text) const {
        return askInBox && askInBox(title, text);
    }
};
