#pragma once

#include "linklog/LinkLogTap.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class LinkLogBuffer;
class QCheckBox;
class QPlainTextEdit;
class QPushButton;

// The "Link log" window: every transaction of either link, one decoded line each, live, with
// pause, clear, copy and save. It listens to the links only while it is open, so a closed window
// costs the link nothing. Lines arrive on the device thread and are shown on the window thread,
// a batch at a time.
class LinkLogFrm : public QWidget {
    Q_OBJECT

public:
    static constexpr int MaxLines = 10000;

    LinkLogFrm(LinkLogTap& tap, QWidget* owner = nullptr);
    ~LinkLogFrm() override;

    // The file dialog behind "Save", replaceable so tests answer it; returns "" for cancel.
    void setSaveFileChooser(std::function<QString()> chooser);

    QPlainTextEdit* Lines;
    QPushButton* btnPause;
    QPushButton* btnClear;
    QPushButton* btnCopy;
    QPushButton* btnSave;
    QCheckBox* chkBytes;

    // Fetches and shows what arrived since the last call (also run on every wake-up).
    void ShowNewLines();
    bool SaveTo(const QString& path, QString* error = nullptr) const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void togglePause();

    LinkLogTap& m_tap;
    std::shared_ptr<LinkLogBuffer> m_buffer;
    // Present while the window is shown: a closed window costs the links nothing.
    std::optional<LinkLogSubscription> m_subscription;
    quint64 m_cursor = 0;
    bool m_following = true;
    std::function<QString()> m_saveChooser;
};
