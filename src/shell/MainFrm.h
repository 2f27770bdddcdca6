#pragma once

#include "controls/TipModule.h"
#include "shell/ProgramEnvironment.h"

#include <QFrame>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class ButtonBar;
class DeviceThread;
class EscapeLatch;
class LinkLogFrm;
class LinkLogTap;
class PageRegistry;
class ProgramLinks;
class QAction;
class QKBtn;
class QLabel;
class QMenu;
class QTimer;
class RefreshBatch;
class Themes;

// The one top-level window: a borderless, rounded window with its own title bar, the navigation
// bar, the page host, the help panel with tips, the status line with "Retry", the activity
// indicator and the brand's logos. It owns the program-wide pieces for the run: the device
// thread on which all module traffic runs, the serial and radio links (living on that thread),
// and the page registry. The window thread only shows what device jobs hand back to it.
class MainFrm : public QWidget, public TipSink {
    Q_OBJECT

public:
    explicit MainFrm(ProgramEnvironment environment, QWidget* parent = nullptr);
    ~MainFrm() override;

    // The start-up sequence. False when the brand file failed verification and the program must
    // end (the "Warning" box has been shown); the caller then ends the process.
    bool Load();

    // The status line: a non-error text is shown as it is; an error in bold, prefixed
    // "Communications Failure: ".
    // What an error shown in the status line begins with.
    static constexpr char FailurePrefix[] = "Communications Failure: ";
    void ShowStatus(const QString& text, bool error);
    // Same as "Retry": disables it, clears the status line and resets the device's error state.
    void DoErrorReset();
    bool HandleBranding();
    void ArrangeLogoframe();

    void TipOn(const QString& text) override;
    void TipOff() override;

    // The page refresh interval (333 ms for pages with live values, 1000 otherwise).
    void SetRefreshInterval(int intervalMs);
    // A page's refresh as soon as the device is free (a page's "refresh once now").
    void RefreshNow();
    // The hourglass pointer, on or off.
    void SetBusyPointer(bool busy);
    // While set, clicks and keys for the window are dropped but it keeps painting, and no page
    // refresh starts: a connect in progress cannot be started twice, and the device it is making
    // is not read before it is done.
    void BlockInput(bool blocked);
    bool IsInputBlocked() const { return m_inputBlocked; }

    DeviceThread& Device() { return *m_device; }
    // Device thread only: the serial and radio links; nullptr before start-up has made them and
    // after shutdown has closed them.
    ProgramLinks* Links() { return m_links.get(); }
    PageRegistry& Registry() { return *m_registry; }
    EscapeLatch& Escape() { return *m_escape; }
    const ProgramEnvironment& Environment() const { return m_environment; }
    MonotonicClock& Clock() { return *m_environment.clock; }
    bool IsLoaded() const { return m_loaded; }
    // Whether start-up found a radio base station (set once its probe has run).
    bool BaseStationPresent() const { return m_baseStationPresent; }
    // The "Link log" window (Ctrl+L, or the help menu), made when first opened.
    LinkLogFrm* ShowLinkLog();
    LinkLogTap& LinkLog() { return *m_linkLog; }
    // Runs once the radio probe of start-up has finished (at once when it has).
    void WhenRadioProbed(std::function<void()> call);

    // Window parts, named as the system names them.
    QLabel* TitleLabel;
    QLabel* Versionlabel;
    QKBtn* ButtonMin;
    QKBtn* ButtonHelp;
    QKBtn* ButtonClose;
    QMenu* mnuHelp;
    QAction* mnuStdHelp;
    QAction* mnuAdvHelp;
    QAction* mnuLinkLog;
    QFrame* FrameExt;
    ::ButtonBar* ButtonBar1;
    QFrame* MainFrame;
    QFrame* MainHelp;
    QLabel* HelpTitleLabel;
    QLabel* Help;
    QLabel* IconHelp;
    QFrame* InfoFrame;
    QLabel* InfoLabel;
    QKBtn* btnErrorReset;
    QLabel* Comms;
    QFrame* LogoFrame;
    QLabel* LargeLogo;
    QLabel* SmallLogo;
    QFrame* Divider;
    ::Themes* Themes;
    QTimer* PageRefreshTimer;
    QTimer* HideTip;

    static constexpr int InitialRefreshMs = 1000;
    static constexpr int ShutdownWaitMs = 15000;
    static constexpr char StandardManual[] = "PELIX Standard Manual.pdf";
    static constexpr char AdvancedManual[] = "PELIX Advanced Manual.pdf";

Q_SIGNALS:
    // A page refresh has been shown (the window thread has applied every result).
    void RefreshShown();
    // Shutdown has finished its steps; the window is about to close.
    void ShutDown();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildParts();
    void layoutParts();
    void roundCorners();
    void fitFrameExt();
    void applyBrandToWindow();
    void useBuiltInLook();
    void startRadio();
    void registerPages();
    void onRefreshTick();
    void communicationCheck(RefreshBatch& batch);
    void showCommunicationState(const QString& description, bool radio, const QString& status);
    void onHideTip();
    void openManual(const char* fileName);
    void openBrandAddress();
    void runShutdown();
    void waitForDevice(qint64 timeoutMs);
    void startMove();
    bool moveOnDrag(QMouseEvent* event);
    int px(double twips) const;

    ProgramEnvironment m_environment;
    std::unique_ptr<DeviceThread> m_device;
    std::unique_ptr<LinkLogTap> m_linkLog; // outlives the links that report to it
    std::unique_ptr<ProgramLinks> m_links; // created and destroyed on the device thread
    LinkLogFrm* m_linkLogFrm = nullptr;
    PageRegistry* m_registry = nullptr;
    EscapeLatch* m_escape = nullptr;
    bool m_loaded = false;
    bool m_baseStationPresent = false;
    bool m_radioProbed = false;
    std::vector<std::function<void()>> m_afterRadioProbe;
    bool m_refreshMissed = false;
    bool m_busyPointer = false;
    bool m_inputBlocked = false;
    bool m_shutdownDone = false;
    int m_resetGeneration = 0; // counts error resets, so a refresh older than one is not shown
    QPoint m_movePress;
    bool m_moveArmed = false;
    int m_barRight = 0; // where the navigation bar's right edge stays
};
