#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class CHILD_GEN_HOME;
class MainFrm;
class QTextStream;
struct ProgramEnvironment;

// `zex-toolkit --tour SECONDS [--screenshot FILE]`: the program at work where nobody can watch
// it (no display, run on the offscreen platform). It selects the port, presses Connect through
// the Home page's own controls (on its "Wired" tab), waits for the Information page, prints what
// the module's display shows once a second, grabs the window and ends. Message dialogs a failed
// connect shows are answered and their texts become the reason printed. finished() carries the exit
// status: 0 when the module answered throughout, 1 otherwise.
class ProgramTour : public QObject {
    Q_OBJECT

public:
    struct Plan {
        int seconds = 5;        // how long the Information page is shown
        QString screenshot;     // the window at the end ("" for none)
        QString homeScreenshot; // the Home page just before Connect is pressed ("" for none)
    };

    ProgramTour(MainFrm& window, Plan plan, QTextStream& out, QTextStream& err);

    // Starts once the window's start-up (the radio probe included) has finished.
    void start();

    // The tour must not change the user's settings: Connect stores the port, station and baud.
    // Points the settings at `scratchFolder`, into which the user's settings file is copied (so
    // the stored station and baud rate are used), and makes system boxes print instead of waiting
    // for a click nobody can give.
    static void IsolateSettings(ProgramEnvironment& environment, const QString& scratchFolder,
                                QTextStream& err);

    static constexpr int ConnectTimeoutMs = 30000;
    static constexpr int PageTimeoutMs = 10000;

Q_SIGNALS:
    void finished(int exitCode);

private:
    void connectToModule();
    void onConnectFinished();
    void onRefreshShown();
    void printLine();
    void finish();
    void conclude();
    void fail(const QString& reason);
    bool saveScreenshot(const QString& path, const QString& what);
    void answerDialogs();
    QString portName() const;

    MainFrm& m_window;
    const Plan m_plan;
    QTextStream& m_out;
    QTextStream& m_err;
    QTimer m_dialogs;  // answers message dialogs while connecting
    QTimer m_deadline; // the step under way took too long
    QTimer m_ticks;    // one printed line a second
    QStringList m_messages;
    int m_printed = 0;
    bool m_showing = false;
    bool m_finishing = false;
    bool m_done = false;
};
