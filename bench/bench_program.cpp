// The whole program, offscreen, against the in-process simulator: start-up to the Home page, the
// resident memory of a connected program, what an Information-page refresh costs beside the wire
// time of its transactions, and how promptly the window thread answers while the device thread
// waits on the wire. Prints figures with the method beside each; checks nothing.
#include "controls/QKBtn.h"
#include "device/CurrentDevice.h"
#include "device/DeviceThread.h"
#include "device/ZEX.h"
#include "pages/CHILD_GEN_HOME.h"
#include "radio/RadioSocketConnection.h"
#include "radio/SocketRadioFactory.h"
#include "serial/Zarnbus2Module.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"
#include "sim/RadioSimulation.h"
#include "sim/SimParameterTable.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatorServer.h"
#include "sim/ZarnbusFrameReader.h"
#include "store/BrandValues.h"
#include "support/ProgramFixture.h"
#include "support/SimulatedLink.h"
#include "util/ApplicationState.h"
#include "util/MonotonicClock.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <time.h>
#include <unistd.h>

namespace {

QTextStream out(stdout);

constexpr char InfoPage[] = "CHILD_GEN_INFO";
constexpr char RadioModuleId[] = "1A2B";

// Every figure of a series, sorted, with the quantiles the report needs.
struct Series {
    QList<double> values;

    void add(double value) { values.append(value); }
    int count() const { return int(values.size()); }
    double quantile(double q) const {
        if (values.isEmpty()) {
            return 0.0;
        }
        QList<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const int index =
            std::clamp(int(std::ceil(q * sorted.size())) - 1, 0, int(sorted.size()) - 1);
        return sorted[index];
    }
    double median() const {
        if (values.isEmpty()) {
            return 0.0;
        }
        QList<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const qsizetype n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
    }
    double min() const {
        return values.isEmpty() ? 0.0 : *std::min_element(values.begin(), values.end());
    }
    double max() const {
        return values.isEmpty() ? 0.0 : *std::max_element(values.begin(), values.end());
    }
};

// Runs the window thread's events until condition holds or timeoutMs have passed. QTest::qWait
// and QTest::qWaitFor sleep up to 10 ms between batches of events, which would hold the window
// thread up by as much and show in every figure here; this waits in the event loop itself.
bool runEventsUntil(const std::function<bool()>& condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // Wakes the loop now and then, for conditions that other threads change without an event.
    QTimer poll;
    poll.setInterval(5);
    poll.start();
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void runEventsFor(int timeoutMs) {
    runEventsUntil([] { return false; }, timeoutMs);
}

QString ms(double value, int decimals = 1) {
    return QString::number(value, 'f', decimals) + QStringLiteral(" ms");
}

QString verdict(bool met) {
    return met ? QStringLiteral("goal met") : QStringLiteral("GOAL MISSED");
}

// Records when each widget was last painted, for the whole application.
class PaintWatch : public QObject {
public:
    PaintWatch() {
        m_clock.start();
        qApp->installEventFilter(this);
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }

    void clear() { m_painted.clear(); }
    bool painted(const QObject* widget) const { return m_painted.contains(widget); }
    qint64 paintedAtNs(const QObject* widget) const { return m_painted.value(widget, -1); }
    qint64 nowNs() const { return m_clock.nsecsElapsed(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            m_painted.insert(watched, m_clock.nsecsElapsed());
        }
        return false;
    }

private:
    QElapsedTimer m_clock;
    QHash<const QObject*, qint64> m_painted;
};

// A 10 ms timer on the window thread; the gaps between its ticks show how long the window
// thread was kept from its events.
class GapProbe : public QObject {
public:
    GapProbe() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (m_last >= 0) {
                m_gaps.add((now - m_last) / 1e6);
            }
            m_last = now;
        });
    }
    void start() {
        m_gaps = Series();
        m_last = -1;
        m_clock.start();
        m_timer.start();
    }
    Series stop() {
        m_timer.stop();
        return m_gaps;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    Series m_gaps;
};

void printProbe(const QString& what, const Series& gaps, const QString& context) {
    out << QStringLiteral("  %1 max gap %2  p99 %3  median %4  ticks %5  (%6)  %7\n")
               .arg(what, -34)
               .arg(ms(gaps.max()), 9)
               .arg(ms(gaps.quantile(0.99)), 9)
               .arg(ms(gaps.median()), 8)
               .arg(gaps.count(), 4)
               .arg(context, verdict(gaps.max() <= 50.0));
    out.flush();
}

// The bytes a module answers a frame the bus saw with: none for a broadcast, an ACK for a write
// or a command, a value for a read.
int replyBytesOf(const QByteArray& frame) {
    ZarnbusFrameReader reader;
    QList<ZarnbusRequest> requests;
    for (const char byte : frame) {
        requests += reader.take(quint8(byte), 0);
    }
    if (requests.isEmpty() || requests.first().station == 0) {
        return 0;
    }
    const ZarnbusRequest& request = requests.first();
    const SimParameterTable::Entry* entry = SimParameterTable::Find(request.number());
    const bool acknowledged =
        request.isWrite || (entry && entry->access == SimParameterTable::Access::Command);
    return acknowledged ? Zarnbus2Module::AckReplyLength : Zarnbus2Module::ReadReplyLength;
}

// The physical cost of the frames' transactions at baud: request and reply bytes, ten bits
// each, and the module's turnaround before each reply.
double wireMsOfFrames(const QList<QByteArray>& frames, int baud) {
    const double turnaroundMs = SimulatedBus::DefaultTurnaroundUs / 1000.0;
    double total = 0.0;
    for (const QByteArray& frame : frames) {
        const int replyBytes = replyBytesOf(frame);
        total +=
            (frame.size() + replyBytes) * 10.0 * 1000.0 / baud + (replyBytes ? turnaroundMs : 0.0);
    }
    return total;
}

// CPU time of the calling thread.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double steadyMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Each page refresh of a program: when it started (the activity indicator shown by the tick),
// when its results were shown (MainFrm::RefreshShown), and the frames the bus saw meanwhile.
// With device marks, two empty jobs bracket the refresh's own job on the device thread: one
// posted as the refresh starts (before the tick posts its job), one posted from the window
// thread's next event (after it), so their run times are when the device thread took up the
// refresh and when it was done with it.
class RefreshWatch : public QObject {
public:
    struct Marks {
        std::atomic<double> deviceFrom{-1.0};
        std::atomic<double> deviceTo{-1.0};
        std::atomic<double> deviceCpuFrom{0.0};
        std::atomic<double> deviceCpuTo{0.0};
        double windowCpuFrom = 0.0;
        double doneDelivered = -1.0; // the job's "done" event reaches the window thread
        double windowCpuDone = 0.0;
        double windowCpuShown = 0.0;
    };
    struct Refresh {
        double startMs = 0;
        double durationMs = 0;
        QList<QByteArray> frames;
        std::shared_ptr<Marks> marks;
    };

    RefreshWatch(ProgramFixture& program, bool collectFrames, bool markDevice = false)
        : m_program(program)
        , m_collectFrames(collectFrames)
        , m_markDevice(markDevice)
        , m_originMs(steadyMs()) {
        program.window().Comms->installEventFilter(this);
        if (markDevice) {
            program.window().Device().installEventFilter(this);
        }
        QObject::connect(program.window().PageRefreshTimer, &QTimer::timeout, this,
                         [this] { m_ticks.append(nowMs()); });
        QObject::connect(&program.window(), &MainFrm::RefreshShown, this, [this] {
            if (m_startMs < 0) {
                return;
            }
            Refresh refresh;
            refresh.startMs = m_startMs;
            refresh.durationMs = nowMs() - m_startMs;
            refresh.marks = m_marks;
            if (m_marks) {
                m_marks->windowCpuShown = threadCpuMs();
            }
            if (m_collectFrames) {
                refresh.frames = m_program.bus().withBus([](SimulatedBus& bus) {
                    QList<QByteArray> frames = bus.framesSeen();
                    bus.clearFramesSeen();
                    return frames;
                });
            }
            m_refreshes.append(refresh);
            m_startMs = -1;
        });
    }
    ~RefreshWatch() override {
        m_program.window().Comms->removeEventFilter(this);
        m_program.window().Device().removeEventFilter(this);
    }

    const QList<Refresh>& refreshes() const { return m_refreshes; }
    const QList<double>& ticks() const { return m_ticks; }
    void clear() { m_refreshes.clear(); }
    // On the same time base as startMs and the device marks.
    double nowMs() const { return steadyMs() - m_originMs; }
    bool waitForCount(int count, int timeoutMs) {
        return runEventsUntil([&] { return m_refreshes.size() >= count; }, timeoutMs);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MetaCall && m_marks &&
            watched == &m_program.window().Device()) {
            m_marks->doneDelivered = nowMs();
            m_marks->windowCpuDone = threadCpuMs();
            return false;
        }
        if (event->type() != QEvent::Show) {
            return false;
        }
        m_startMs = nowMs();
        if (m_collectFrames) {
            m_program.bus().withBus([](SimulatedBus& bus) {
                bus.clearFramesSeen();
                return 0;
            });
        }
        m_marks.reset();
        if (m_markDevice) {
            auto marks = std::make_shared<Marks>();
            m_marks = marks;
            marks->windowCpuFrom = threadCpuMs();
            const double origin = m_originMs;
            DeviceThread& device = m_program.window().Device();
            device.post([marks, origin] {
                marks->deviceFrom = steadyMs() - origin;
                marks->deviceCpuFrom = threadCpuMs();
            });
            QTimer::singleShot(0, this, [marks, origin, &device] {
                device.post([marks, origin] {
                    marks->deviceTo = steadyMs() - origin;
                    marks->deviceCpuTo = threadCpuMs();
                });
            });
        }
        return false;
    }

private:
    ProgramFixture& m_program;
    bool m_collectFrames;
    bool m_markDevice;
    double m_originMs;
    double m_startMs = -1;
    std::shared_ptr<Marks> m_marks;
    QList<Refresh> m_refreshes;
    QList<double> m_ticks;
};

// ---------------------------------------------------------------------------------------------
// 1. Start-up

// A program folder as an installation has it (brand file and fonts beside the program) and
// scratch per-user folders, without a base station.
class StartupFolders {
public:
    StartupFolders() {
        const QDir bin(QStringLiteral(ZEX_BENCH_BIN_DIR));
        for (const QString& name : bin.entryList(
                 {QStringLiteral("*.qkb"), QStringLiteral("*.TTF"), QStringLiteral("*.ttf")},
                 QDir::Files)) {
            QFile::copy(bin.filePath(name), m_program.filePath(name));
            m_copied.append(name);
        }
        QDir().mkpath(m_user.filePath(QStringLiteral("config")));
        m_savedXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_user.filePath(QStringLiteral("config"))));
    }
    ~StartupFolders() {
        if (m_savedXdg.isNull()) {
            qunsetenv("XDG_CONFIG_HOME");
        } else {
            qputenv("XDG_CONFIG_HOME", m_savedXdg);
        }
    }
    QStringList copied() const { return m_copied; }

    ProgramEnvironment environment() const {
        ProgramEnvironment environment;
        environment.programFolder = m_program.path();
        environment.configBase = m_user.filePath(QStringLiteral("config"));
        environment.documentsBase = m_user.filePath(QStringLiteral("documents"));
        environment.ctrlAndShiftHeld = [] { return false; };
        environment.clock = &systemClock();
        // A socket no base station serves: the probe finds none, as on a machine without one.
        const QString socket =
            QStringLiteral("zex-bench-none-") + QUuid::createUuid().toString(QUuid::Id128);
        environment.radioFactory = [socket](MonotonicClock& clock) {
            RadioSocketConnection::Options options;
            options.socketName = socket;
            return std::unique_ptr<RadioFactory>(
                std::make_unique<SocketRadioFactory>(options, clock));
        };
        environment.criticalBox = [](const QString& title, const QString& text) {
            out << "  critical box: " << title << ": " << text << "\n";
        };
        environment.openUrl = [](const QUrl&) { return false; };
        return environment;
    }

private:
    QTemporaryDir m_program;
    QTemporaryDir m_user;
    QByteArray m_savedXdg;
    QStringList m_copied;
};

struct StartupRun {
    double constructedMs = 0;
    double loadedMs = 0;
    double shownMs = 0; // Home page current, window and Home page painted once
    double probedMs = 0;
    double shutdownMs = 0;
    bool ok = false;
};

StartupRun startOnce(const StartupFolders& folders, PaintWatch& paints,
                     const std::function<void()>& whenShown = {}) {
    StartupRun run;
    Brand() = BrandValues();
    AppState() = ApplicationState();
    paints.clear();
    QElapsedTimer timer;
    timer.start();
    auto window = std::make_unique<MainFrm>(folders.environment());
    run.constructedMs = timer.nsecsElapsed() / 1e6;
    if (!window->Load()) {
        return run;
    }
    run.loadedMs = timer.nsecsElapsed() / 1e6;
    auto probed = std::make_shared<double>(-1.0);
    window->WhenRadioProbed([probed, &timer] { *probed = timer.nsecsElapsed() / 1e6; });
    window->show();
    MainFrm* shown = window.get();
    run.ok = runEventsUntil(
        [&] {
            QWidget* home = shown->Registry().CurrentPage();
            return home &&
                   shown->Registry().CurrentPageName() == QLatin1String(PageRegistry::HomePage) &&
                   paints.painted(shown) && paints.painted(home);
        },
        5000);
    run.shownMs = timer.nsecsElapsed() / 1e6;
    if (whenShown) {
        whenShown();
    }
    run.probedMs = runEventsUntil([&] { return *probed >= 0; }, 5000) ? *probed : -1.0;
    QElapsedTimer shutdown;
    shutdown.start();
    window->close();
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    run.shutdownMs = shutdown.nsecsElapsed() / 1e6;
    return run;
}

void benchStartup() {
    constexpr int Runs = 15;
    out << "\n1. Start-up to the Home page shown (offscreen, no base station)\n"
        << "   Method: per run a fresh MainFrm: constructed, Load() (brand file verified, fonts\n"
        << "   registered, pages registered, Home page loaded), show(), then the event loop runs\n"
        << "   until the Home page is current and both the window and the Home page have had a\n"
        << "   paint event. The brand and fonts come from a scratch program folder and are\n"
        << "   loaded again in every run (shutdown unregisters the fonts). One warm-up run in\n"
        << "   this process first; QApplication's own creation is not part of a run.\n";
    StartupFolders folders;
    out << "   Program folder holds: " << folders.copied().join(QStringLiteral(", ")) << "\n";
    PaintWatch paints;
    const StartupRun warm = startOnce(folders, paints);
    out << "   first run in the process (cold caches): " << ms(warm.shownMs) << "\n";
    Series shown, constructed, loaded, probed, shutdown;
    int failed = 0;
    for (int i = 0; i < Runs; ++i) {
        const StartupRun run = startOnce(folders, paints);
        if (!run.ok) {
            ++failed;
            continue;
        }
        shown.add(run.shownMs);
        constructed.add(run.constructedMs);
        loaded.add(run.loadedMs);
        probed.add(run.probedMs);
        shutdown.add(run.shutdownMs);
    }
    out << QStringLiteral("   Home page shown: median %1  min %2  max %3  (%4 runs%5)  goal <= 400 "
                          "ms: %6\n")
               .arg(ms(shown.median()), ms(shown.min()), ms(shown.max()))
               .arg(shown.count())
               .arg(failed ? QStringLiteral(", %1 failed").arg(failed) : QString())
               .arg(verdict(shown.count() > 0 && shown.median() <= 400.0));
    out << QStringLiteral("   of which: MainFrm constructed %1, Load() returned %2 (medians, from "
                          "the start)\n")
               .arg(ms(constructed.median()), ms(loaded.median()));
    out << QStringLiteral("   radio probe finished (device thread, after the window is up): median "
                          "%1\n")
               .arg(ms(probed.median()));
    out << QStringLiteral("   shutdown (close, links closed on the device thread): median %1\n")
               .arg(ms(shutdown.median()));
    out.flush();

    // A fresh process each time: libraries loaded, QApplication made, then one start-up.
    constexpr int Processes = 5;
    Series total, beforeMain, application;
    for (int i = 0; i < Processes; ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--cold-start")});
        if (!child.waitForFinished(30000) || child.exitCode() != 0) {
            continue;
        }
        const QStringList words = QString::fromLatin1(child.readAllStandardOutput())
                                      .section(QLatin1String("cold "), 1)
                                      .simplified()
                                      .split(QLatin1Char(' '));
        beforeMain.add(words.value(0).toDouble());
        application.add(words.value(1).toDouble());
        total.add(words.value(2).toDouble());
    }
    out << QStringLiteral("   in a fresh process (%1 processes; process start time from "
                          "/proc/self/stat, 10 ms steps): process start to Home page shown median "
                          "%2 (max %3); main() reached after %4, QApplication made after %5\n")
               .arg(total.count())
               .arg(ms(total.median(), 0), ms(total.max(), 0), ms(beforeMain.median(), 0),
                    ms(application.median(), 0));
    out.flush();
}

// How long ago, in ms, this process was started (10 ms steps: the kernel counts clock ticks).
double processAgeMs() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1.0;
    }
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1e3 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

int coldStartChild(double ageAtMain, double ageAtApplication) {
    StartupFolders folders;
    PaintWatch paints;
    const StartupRun run = startOnce(folders, paints, [&] {
        out << QStringLiteral("cold %1 %2 %3\n")
                   .arg(ageAtMain)
                   .arg(ageAtApplication)
                   .arg(processAgeMs());
        out.flush();
    });
    return run.ok ? 0 : 1;
}

// ---------------------------------------------------------------------------------------------
// 2. Memory

QString statusLine(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return QString();
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return QString::fromLatin1(line.mid(int(qstrlen(key)))).simplified();
        }
    }
    return QString();
}

double statusMb(const char* key) {
    return statusLine(key).section(QLatin1Char(' '), 0, 0).toDouble() / 1024.0;
}

// Run in a process of its own, so nothing the other measurements left behind is counted.
int memoryChild() {
    const double baseRss = statusMb("VmRSS:");
    ProgramFixture program(ProgramFixture::WithModule(ModuleAt(1)));
    if (!program.start() || !program.connectSerial(1, 1) ||
        !program.waitForPage(QLatin1String(InfoPage))) {
        out << "memory: cannot connect: " << program.failure() << "\n";
        return 1;
    }
    for (int i = 0; i < 5; ++i) {
        program.waitForRefresh();
    }
    out << QStringLiteral("rss %1 hwm %2 base %3\n")
               .arg(statusMb("VmRSS:"))
               .arg(statusMb("VmHWM:"))
               .arg(baseRss);
    return 0;
}

void benchMemory() {
    out << "\n2. Resident memory after connecting to a simulated module\n"
        << "   Method: a fresh process (this program, run again) makes QApplication, starts the\n"
        << "   whole program with the in-process simulated bus (its thread and pseudo-terminal\n"
        << "   are counted too), connects at 19200 baud, waits for five Information-page\n"
        << "   refreshes, then reads VmRSS and VmHWM from /proc/self/status.\n";
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory")});
    if (!child.waitForFinished(60000) || child.exitCode() != 0) {
        out << "   the measuring process failed: " << child.readAllStandardOutput() << "\n";
        return;
    }
    const QStringList words = QString::fromLatin1(child.readAllStandardOutput())
                                  .section(QLatin1String("rss "), 1)
                                  .simplified()
                                  .split(QLatin1Char(' '));
    const double rss = words.value(0).toDouble();
    out << QStringLiteral("   VmRSS %1 MB (peak VmHWM %2 MB; %3 MB with QApplication alone)  goal "
                          "<= 80 MB: %4\n")
               .arg(rss, 0, 'f', 1)
               .arg(words.value(2).toDouble(), 0, 'f', 1)
               .arg(words.value(4).toDouble(), 0, 'f', 1)
               .arg(verdict(rss > 0 && rss <= 80.0));
    out.flush();
}

// ---------------------------------------------------------------------------------------------
// 3. Refresh cost beside wire time

std::unique_ptr<ProgramFixture> connectedProgram(int baud, bool timing) {
    ProgramFixture::Options options = ProgramFixture::WithModule(ModuleAt(1, 4.1, 4242, baud));
    options.timing = timing;
    auto program = std::make_unique<ProgramFixture>(options);
    if (!program->start()) {
        out << "   cannot start: " << program->failure() << "\n";
        return nullptr;
    }
    if (!program->connectSerial(1, baud == 9600 ? 0 : 1) ||
        !program->waitForPage(QLatin1String(InfoPage))) {
        out << "   cannot connect at " << baud << " baud\n";
        return nullptr;
    }
    // The first refreshes after the page appears are discarded.
    program->waitForRefresh();
    program->waitForRefresh();
    return program;
}

// One round of the frames through the serial layer alone, on a simulated bus of its own.
double bareRoundMs(SimulatedLink& line, const QList<QByteArray>& frames) {
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& frame : frames) {
        Zarnbus2Module::Exchange(line.link(), frame, replyBytesOf(frame), 1000);
    }
    return timer.nsecsElapsed() / 1e6;
}

void benchRefreshCost() {
    constexpr int Baud = 19200;
    constexpr int Refreshes = 20;
    out << "\n3. Information-page refresh at 19200 baud, real line timing on the simulated bus\n"
        << "   Method: a refresh starts when the tick shows the activity indicator (a Show event\n"
        << "   of MainFrm::Comms, caught by an event filter: no hook added) and ends at\n"
        << "   MainFrm::RefreshShown, when the window thread has shown every result. Its wire\n"
        << "   time: every frame the bus saw in between (SimulatedBus::framesSeen), request and\n"
        << "   reply bytes x 10 bits / baud + 2 ms module turnaround each. After each refresh the\n"
        << "   refresh timer is held while the same frames go once through the serial layer\n"
        << "   alone (Zarnbus2Module::Exchange in a loop, a second simulated bus, no program):\n"
        << "   that control, taken at the same moment, shows what the machine's load costs.\n";
    auto program = connectedProgram(Baud, true);
    SimulatedLink line({ModuleAt(1, 4.1, 4242, Baud)}, true, Baud);
    if (!program || !line.isReady()) {
        return;
    }
    RefreshWatch watch(*program, true, true);
    QTimer* timer = program->window().PageRefreshTimer;
    Series ratio, duration, wire, overhead, before, job, jobBeyondWire, after, delivery, shows,
        deviceCpu, windowCpu, windowShowCpu, bare, bareRatio, versusBare;
    int frames = 0;
    for (int i = 0; i < Refreshes; ++i) {
        if (!watch.waitForCount(i + 1, 5000)) {
            break;
        }
        timer->stop();
        const RefreshWatch::Refresh& refresh = watch.refreshes().at(i);
        const double wireMs = wireMsOfFrames(refresh.frames, Baud);
        const double bareMs = bareRoundMs(line, refresh.frames);
        timer->start();
        ratio.add(refresh.durationMs / wireMs);
        duration.add(refresh.durationMs);
        wire.add(wireMs);
        overhead.add(refresh.durationMs - wireMs);
        bare.add(bareMs);
        bareRatio.add(bareMs / wireMs);
        versusBare.add(refresh.durationMs / bareMs);
        frames = int(refresh.frames.size());
        const RefreshWatch::Marks& marks = *refresh.marks;
        const double from = marks.deviceFrom;
        const double to = marks.deviceTo;
        if (from >= 0 && to >= 0) {
            before.add(from - refresh.startMs);
            job.add(to - from);
            jobBeyondWire.add(to - from - wireMs);
            after.add(refresh.startMs + refresh.durationMs - to);
            deviceCpu.add(marks.deviceCpuTo - marks.deviceCpuFrom);
            windowCpu.add(marks.windowCpuShown - marks.windowCpuFrom);
            if (marks.doneDelivered >= 0) {
                delivery.add(marks.doneDelivered - to);
                shows.add(refresh.startMs + refresh.durationMs - marks.doneDelivered);
                windowShowCpu.add(marks.windowCpuShown - marks.windowCpuDone);
            }
        }
    }
    out << QStringLiteral("   %1 refreshes of %2 transactions: refresh median %3 (min %4, max %5), "
                          "wire %6\n")
               .arg(duration.count())
               .arg(frames)
               .arg(ms(duration.median()), ms(duration.min()), ms(duration.max()),
                    ms(wire.median()));
    out << QStringLiteral("   ratio refresh / wire: median %1 (min %2, max %3); beyond the wire: "
                          "median %4 per refresh  goal <= 1.10: %5\n")
               .arg(ratio.median(), 0, 'f', 3)
               .arg(ratio.min(), 0, 'f', 3)
               .arg(ratio.max(), 0, 'f', 3)
               .arg(ms(overhead.median()))
               .arg(verdict(ratio.count() > 0 && ratio.median() <= 1.10));
    out << QStringLiteral("   control, serial layer alone: median %1, ratio to the wire median %2 "
                          "(min %3); refresh / control, pair by pair: median %4\n")
               .arg(ms(bare.median()))
               .arg(bareRatio.median(), 0, 'f', 3)
               .arg(bareRatio.min(), 0, 'f', 3)
               .arg(versusBare.median(), 0, 'f', 3);
    out << QStringLiteral("   where the time goes (medians; empty device jobs mark the start and "
                          "end of the refresh's job):\n"
                          "     window thread, tick until the device thread takes the job: %1\n"
                          "     device job: %2, of which beyond the wire: %3\n"
                          "     device job done until the results are shown: %4 (its \"done\" "
                          "reaches the window thread after %5, the shows take %6)\n"
                          "     CPU per refresh: device thread %7, window thread %8 (the shows %9; "
                          "the rest is mostly the bench's own 5 ms poll and the fixture's dialog "
                          "watcher)\n")
               .arg(ms(before.median(), 2), ms(job.median(), 2), ms(jobBeyondWire.median(), 2),
                    ms(after.median(), 2), ms(delivery.median(), 2), ms(shows.median(), 2),
                    ms(deviceCpu.median(), 2), ms(windowCpu.median(), 2),
                    ms(windowShowCpu.median(), 2));
    out.flush();
}

// ---------------------------------------------------------------------------------------------
// 4 and 5. The window never freezes; ticks never queue

void benchSerialWindow() {
    constexpr int Baud = 9600;
    out << "\n4. The window never freezes. Method: a 10 ms PreciseTimer probe on the window "
           "thread;\n"
        << "   a gap is the time between two of its ticks (10 ms: an undisturbed window thread).\n"
        << "   The bench waits in the event loop itself (QTest::qWait would sleep 10 ms at a "
           "time).\n";
    auto program = connectedProgram(Baud, true);
    if (!program) {
        return;
    }
    GapProbe probe;
    RefreshWatch watch(*program, false);

    // (a) continuous refresh at 9600 baud.
    probe.start();
    runEventsFor(5000);
    Series gaps = probe.stop();
    Series durations;
    for (const RefreshWatch::Refresh& refresh : watch.refreshes()) {
        durations.add(refresh.durationMs);
    }
    printProbe(QStringLiteral("(a) refreshing at 9600 baud, 5 s:"), gaps,
               QStringLiteral("%1 refreshes, median %2 each")
                   .arg(durations.count())
                   .arg(ms(durations.median())));

    // (b) a silent module: the refresh waits out the timeout on the wire.
    watch.clear();
    program->bus().withBus([](SimulatedBus& bus) {
        bus.busFaults().add(FaultPlan::Rule{FaultPlan::Kind::Silence, FaultPlan::Mode::Always});
        return 0;
    });
    const double silentFrom = watch.nowMs();
    probe.start();
    QLabel* status = program->window().InfoLabel;
    const bool failed = runEventsUntil(
        [&] { return status->text().startsWith(QLatin1String("Communications Failure")); }, 15000);
    const double failureShownMs = watch.nowMs() - silentFrom;
    runEventsFor(500);
    gaps = probe.stop();
    double longestRefresh = 0;
    for (const RefreshWatch::Refresh& refresh : watch.refreshes()) {
        longestRefresh = std::max(longestRefresh, refresh.durationMs);
    }
    printProbe(QStringLiteral("(b) silent module times out:"), gaps,
               QStringLiteral("\"%1\" after %2; longest refresh %3")
                   .arg(failed ? status->text() : QStringLiteral("no failure shown"),
                        ms(failureShownMs, 0), ms(longestRefresh, 0)));

    // The probe itself: a window thread held for 100 ms has to show as a gap of that size.
    probe.start();
    QTimer::singleShot(50, [] { QThread::msleep(100); });
    runEventsFor(300);
    out << QStringLiteral("  check of the probe: the window thread held 100 ms on purpose shows "
                          "as a max gap of %1\n")
               .arg(ms(probe.stop().max()));
    out.flush();
}

// How the refreshes of a span answered the refresh timer: a refresh "answers" the ticks that
// came since the refresh before it started (the one that started it, or those that fell while
// the one before ran); a refresh that answers none would be a tick that queued.
struct TickAccount {
    int refreshes = 0;
    int ticks = 0;
    int withoutTick = 0; // refreshes that answer no tick
    int mostTicks = 0;   // the most ticks one refresh answered
    Series startToStart; // ms
    Series durations;    // ms
    Series idle;         // ms between a refresh's end and the next one's start
};

int ticksAnswered(const RefreshWatch::Refresh& previous, const RefreshWatch::Refresh& refresh,
                  const QList<double>& ticks) {
    // A tick is noted after MainFrm's own handler has started its refresh.
    constexpr double NotedLateMs = 2.0;
    return int(std::count_if(ticks.begin(), ticks.end(), [&](double tick) {
        return tick > previous.startMs + NotedLateMs && tick <= refresh.startMs + NotedLateMs;
    }));
}

TickAccount accountTicks(const QList<RefreshWatch::Refresh>& refreshes,
                         const QList<double>& ticks) {
    TickAccount account;
    for (int i = 1; i < refreshes.size(); ++i) {
        const RefreshWatch::Refresh& previous = refreshes[i - 1];
        const RefreshWatch::Refresh& refresh = refreshes[i];
        const int answered = ticksAnswered(previous, refresh, ticks);
        ++account.refreshes;
        account.ticks += answered;
        account.withoutTick += answered == 0 ? 1 : 0;
        account.mostTicks = std::max(account.mostTicks, answered);
        account.startToStart.add(refresh.startMs - previous.startMs);
        account.durations.add(previous.durationMs);
        account.idle.add(refresh.startMs - previous.startMs - previous.durationMs);
    }
    return account;
}

void printAccount(const QString& what, const TickAccount& account) {
    out << QStringLiteral("   %1 %2 refreshes answering %3 ticks; none without a tick of its own: "
                          "%4 (%5 without); start-to-start median %6 (min %7, max %8), refresh "
                          "median %9\n")
               .arg(what)
               .arg(account.refreshes)
               .arg(account.ticks)
               .arg(verdict(account.withoutTick == 0))
               .arg(account.withoutTick)
               .arg(ms(account.startToStart.median()), ms(account.startToStart.min()),
                    ms(account.startToStart.max()), ms(account.durations.median()));
}

void benchRefreshTicks() {
    constexpr int Baud = 9600;
    out << "\n5. Refresh ticks never queue behind a slow refresh (9600 baud, interval 333 ms)\n"
        << "   Method: refresh start (the tick's Show of the activity indicator) and end\n"
        << "   (RefreshShown), and every timeout of MainFrm::PageRefreshTimer. Each refresh is\n"
        << "   matched with the ticks since the start of the one before; one with no tick would\n"
        << "   be a queued tick, one with several means missed ticks were folded into it.\n";
    auto program = connectedProgram(Baud, true);
    if (!program) {
        return;
    }
    RefreshWatch watch(*program, false);
    watch.waitForCount(10, 10000);
    printAccount(QStringLiteral("steady:"), accountTicks(watch.refreshes(), watch.ticks()));

    // One reply held back 1500 ms: one refresh far longer than the interval.
    watch.clear();
    watch.waitForCount(3, 5000);
    const double stallFrom = watch.nowMs();
    program->bus().withBus([](SimulatedBus& bus) {
        bus.busFaults().setDelayMs(1500);
        bus.busFaults().add(
            FaultPlan::Rule{FaultPlan::Kind::Delay, FaultPlan::Mode::NextFrames, 1.0, 1});
        return 0;
    });
    watch.waitForCount(int(watch.refreshes().size()) + 10, 15000);
    const QList<RefreshWatch::Refresh> stalled = watch.refreshes();
    const TickAccount afterStall = accountTicks(stalled, watch.ticks());
    out << "   one reply held back 1500 ms by the bus (Delay fault on the next frame):\n";
    for (int i = 1; i < stalled.size(); ++i) {
        const RefreshWatch::Refresh& previous = stalled[i - 1];
        const RefreshWatch::Refresh& refresh = stalled[i];
        const int answered = ticksAnswered(previous, refresh, watch.ticks());
        out << QStringLiteral("     refresh at %1 after the one before, which took %2; idle %3; "
                              "answers %4 tick(s)%5\n")
                   .arg(ms(refresh.startMs - previous.startMs), 10)
                   .arg(ms(previous.durationMs), 10)
                   .arg(ms(refresh.startMs - previous.startMs - previous.durationMs), 8)
                   .arg(answered)
                   .arg(previous.startMs >= stallFrom && previous.durationMs > 1000
                            ? QStringLiteral("   <- after the slow one")
                            : QString());
    }
    printAccount(QStringLiteral("with the slow one:"), afterStall);

    // Every reply 8 ms later (turnaround 10 ms): each refresh longer than the interval.
    watch.clear();
    program->bus().withBus([](SimulatedBus& bus) {
        bus.setTurnaroundUs(10000);
        return 0;
    });
    watch.waitForCount(2, 5000);
    watch.clear();
    watch.waitForCount(10, 10000);
    printAccount(QStringLiteral("turnaround 10 ms (refresh > interval):"),
                 accountTicks(watch.refreshes(), watch.ticks()));
    out.flush();
}

QString lastNotice(const ProgramFixture& program) {
    return program.notices.isEmpty() ? QString() : program.notices.last();
}

// (c) pairing with a slow identification, then (d) keys typed while the device thread waits.
void benchRadioWindow() {
    ProgramFixture::Options options;
    options.withBaseStation = true;
    options.radioArguments = {QStringLiteral("--base-station"), QStringLiteral("id=12AB,channel=5"),
                              QStringLiteral("--radio-module"),
                              QStringLiteral("id=1A2B,channel=5")};
    ProgramFixture program(options);
    if (!program.start()) {
        out << "   cannot start with a base station: " << program.failure() << "\n";
        return;
    }
    CHILD_GEN_HOME* home = program.home();
    if (!home || !runEventsUntil([&] { return home->XTab1->currentIndex() == 1; }, 5000)) {
        out << "   the base station was not found\n";
        return;
    }
    auto radio = [&](const QString& line) { program.radio()->execute(line); };
    // The first ten model-name answers do not come: identification retries for seconds.
    radio(QStringLiteral("radio fault %1 silence next 10").arg(QLatin1String(RadioModuleId)));

    GapProbe probe;
    QElapsedTimer clock;
    clock.start();
    probe.start();
    home->QKBtn1->HandleClick();
    const QString waiting =
        QStringLiteral("Pairing...: You have 10 seconds to perform Pairing on the ZEX.");
    const QString identifying = QStringLiteral("Pairing...: Identifying device...");
    if (!runEventsUntil([&] { return program.notices.contains(waiting); }, 5000)) {
        out << "   (c) pairing did not start\n";
        return;
    }
    runEventsFor(300);
    radio(QStringLiteral("radio power-up %1").arg(QLatin1String(RadioModuleId)));
    double identifyFrom = -1;
    const bool ended = runEventsUntil(
        [&] {
            if (identifyFrom < 0 && lastNotice(program) == identifying) {
                identifyFrom = clock.nsecsElapsed() / 1e6;
            }
            return !home->IsConnecting();
        },
        20000);
    const double identifyTo = clock.nsecsElapsed() / 1e6;
    const bool connected = ended && runEventsUntil(
                                        [&] {
                                            return program.window().Registry().CurrentPageName() ==
                                                   QLatin1String(InfoPage);
                                        },
                                        5000);
    program.waitForRefresh();
    const Series gaps = probe.stop();
    printProbe(
        QStringLiteral("(c) pairing, slow identification:"), gaps,
        QStringLiteral("identification %1, %2")
            .arg(identifyFrom < 0 ? QStringLiteral("not seen") : ms(identifyTo - identifyFrom, 0),
                 connected ? QStringLiteral("then connected and refreshed")
                           : QStringLiteral("NOT connected")));
    if (!connected) {
        return;
    }

    // (d) Home, the ID field's editor open, while the device thread is held by reads that the
    // module answers late.
    program.window().Registry().NavigateTo(1);
    program.waitForPage(QLatin1String(PageRegistry::HomePage));
    home = program.home();
    if (!home || !runEventsUntil([&] { return home->XTab1->currentIndex() == 1; }, 2000)) {
        out << "   (d) the Home page's radio tab is not shown\n";
        return;
    }
    home->pbID->Caption(QString());
    home->pbID->DoEdit();
    QLineEdit* editor = home->pbID->TextEditor();
    if (!editor || !home->pbID->IsTextEditorOpen()) {
        out << "   (d) the ID field's editor did not open\n";
        return;
    }
    radio(QStringLiteral("radio delay 700"));
    radio(QStringLiteral("radio fault %1 delay always").arg(QLatin1String(RadioModuleId)));
    // Four reads the module answers 700 ms late each: the device thread waits on the radio.
    auto busyFrom = std::make_shared<std::atomic<double>>(-1.0);
    auto busyTo = std::make_shared<std::atomic<double>>(-1.0);
    program.window().Device().post([busyFrom, busyTo] {
        *busyFrom = steadyMs();
        for (int i = 0; i < 4; ++i) {
            if (ZEX* device = CurrentDevice::Get()) {
                device->GROSS();
            }
        }
        *busyTo = steadyMs();
    });
    if (!runEventsUntil([&] { return *busyFrom >= 0; }, 5000)) {
        out << "   (d) the device thread did not take the reads\n";
        return;
    }

    PaintWatch paints;
    Series shownText, shownPainted;
    probe.start();
    int typed = 0;
    while (*busyTo < 0 && typed < 20) {
        runEventsFor(120);
        if (*busyTo >= 0) {
            break;
        }
        const bool add = typed % 2 == 0;
        const QString before = editor->text();
        const Qt::Key key = add ? Qt::Key_A : Qt::Key_Backspace;
        const QString text = add ? QStringLiteral("a") : QString();
        const qint64 sentAt = paints.nowNs();
        QCoreApplication::postEvent(editor,
                                    new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
        QCoreApplication::postEvent(editor,
                                    new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
        qint64 changedAt = -1;
        const bool shownAndPainted = runEventsUntil(
            [&] {
                if (changedAt < 0 && editor->text() != before) {
                    changedAt = paints.nowNs();
                }
                return changedAt >= 0 && paints.paintedAtNs(editor) >= changedAt;
            },
            2000);
        if (shownAndPainted) {
            shownText.add((changedAt - sentAt) / 1e6);
            shownPainted.add((paints.paintedAtNs(editor) - sentAt) / 1e6);
        }
        ++typed;
    }
    const Series keyGaps = probe.stop();
    const double typingEnded = steadyMs();
    const bool readsEnded = runEventsUntil([&] { return *busyTo >= 0; }, 10000);
    radio(QStringLiteral("radio fault clear"));
    out << QStringLiteral("  (d) keys typed into the Home page's ID field (editor opened by "
                          "QKBtn::DoEdit) while the device thread waited on four radio reads "
                          "answered 700 ms late: the reads took %1, typing ended %2 before they "
                          "did\n")
               .arg(readsEnded ? ms(*busyTo - *busyFrom, 0) : QStringLiteral("(unfinished)"),
                    readsEnded ? ms(*busyTo - typingEnded, 0) : QStringLiteral("-"));
    out << QStringLiteral("      %1 of %2 keys shown. Each key (\"a\", then Backspace) is posted "
                          "to the window thread's event queue as the keyboard's are (QTest::"
                          "keyClick would deliver it at once, bypassing the queue); time from "
                          "posting to the editor's text changed: max %3, median %4; to the "
                          "editor repainted: max %5, median %6  %7\n")
               .arg(shownText.count())
               .arg(typed)
               .arg(ms(shownText.max(), 2), ms(shownText.median(), 2), ms(shownPainted.max(), 2),
                    ms(shownPainted.median(), 2))
               .arg(verdict(typed > 0 && shownText.count() == typed && shownPainted.max() <= 50.0));
    printProbe(QStringLiteral("    probe meanwhile:"), keyGaps, QStringLiteral("typing"));
    home->pbID->ForceLostFocus();
}

// Qt's own handler, to which every other message still goes.
QtMessageHandler& standardHandler() {
    static QtMessageHandler handler = nullptr;
    return handler;
}

// The offscreen platform's remarks on window masks and the runtime folder, once per window,
// would bury the figures.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support setting window masks")) ||
        message.contains(QLatin1String("XDG_RUNTIME_DIR"))) {
        return;
    }
    if (standardHandler()) {
        standardHandler()(type, context, message);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    const double ageAtMain = processAgeMs();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    standardHandler() = qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--memory"))) {
        return memoryChild();
    }
    if (app.arguments().contains(QStringLiteral("--cold-start"))) {
        return coldStartChild(ageAtMain, processAgeMs());
    }
    // Sections by name on the command line (startup memory refresh serial radio ticks); all by
    // default.
    QStringList sections = app.arguments().mid(1);
    if (sections.isEmpty()) {
        sections = {QStringLiteral("startup"), QStringLiteral("memory"), QStringLiteral("refresh"),
                    QStringLiteral("serial"),  QStringLiteral("radio"),  QStringLiteral("ticks")};
    }
    QElapsedTimer total;
    total.start();
    out << "The whole program, " << QGuiApplication::platformName()
        << " platform, against the in-process simulator\n";
    if (sections.contains(QStringLiteral("startup"))) {
        benchStartup();
    }
    if (sections.contains(QStringLiteral("memory"))) {
        benchMemory();
    }
    if (sections.contains(QStringLiteral("refresh"))) {
        benchRefreshCost();
    }
    if (sections.contains(QStringLiteral("serial"))) {
        benchSerialWindow();
    }
    if (sections.contains(QStringLiteral("radio"))) {
        benchRadioWindow();
    }
    if (sections.contains(QStringLiteral("ticks"))) {
        benchRefreshTicks();
    }
    out << "\nTotal " << ms(total.nsecsElapsed() / 1e6, 0) << "\n";
    return 0;
}
