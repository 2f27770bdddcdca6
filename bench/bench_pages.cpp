// Figures for the pages: a Measurement refresh at 19200 baud with the line's real timing against
// the wire time of its transactions; at 9600 baud, where a refresh outlasts its 333 ms interval,
// how the next one follows (ticks must not queue behind it) and how long the window thread ever
// waits; a full save from the Save & Restore page against the engine's own time; and what the
// trend costs per refresh.
#include "controls/QKBtn.h"
#include "device/CurrentDevice.h"
#include "device/DeviceThread.h"
#include "linklog/LinkLogRecord.h"
#include "linklog/LinkLogTap.h"
#include "pages/CHILD_GEN_FILE.h"
#include "pages/CHILD_GEN_MEASURE.h"
#include "pages/ConfigurationFileDialogs.h"
#include "pages/TrendPlot.h"
#include "serial/Zarnbus2Module.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"
#include "shell/ProgramLinks.h"
#include "shell/RefreshBatch.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatorServer.h"
#include "store/ConfigurationFileModule.h"
#include "support/ProgramFixture.h"
#include "support/SimulatedLink.h"
#include "util/ApplicationState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMutex>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int MeasureButton = 4;
constexpr int FileButton = 3;

// Runs a job on the device thread and waits for it, with the window's events running.
void onDevice(MainFrm& window, const std::function<void()>& job) {
    bool done = false;
    QObject receiver;
    window.Device().post(job, &receiver, [&done] { done = true; });
    if (!QTest::qWaitFor([&done] { return done; }, 60000)) {
        std::printf("  a device job did not end within a minute\n");
    }
}

// What the line carries for the request frames seen: each request, its reply and the module's
// turnaround, at the baud rate.
double WireMs(const QList<QByteArray>& requests, int baud) {
    qint64 bytes = 0;
    for (const QByteArray& request : requests) {
        const bool isRead = request.size() == 5;
        bytes += request.size() +
                 (isRead ? Zarnbus2Module::ReadReplyLength : Zarnbus2Module::AckReplyLength);
    }
    return (bytes * SimulatedBus::ByteTimeUs(baud) +
            requests.size() * SimulatedBus::DefaultTurnaroundUs) /
           1000.0;
}

// Keeps the transactions of the link log, with the time each began on the steady clock.
class TransactionTimes : public LinkLogSink {
public:
    struct Entry {
        QString member;
        qint64 startMs;
        qint64 endMs;
    };
    explicit TransactionTimes(QElapsedTimer& clock)
        : m_clock(clock) {}
    void record(const LinkLogRecord& record) override {
        const qint64 end = m_clock.elapsed();
        QMutexLocker lock(&m_mutex);
        m_entries.append({record.member, end - record.durationMs, end});
    }
    QList<Entry> entries() {
        QMutexLocker lock(&m_mutex);
        return m_entries;
    }

private:
    QElapsedTimer& m_clock;
    QMutex m_mutex;
    QList<Entry> m_entries;
};

CHILD_GEN_MEASURE* OpenMeasurement(ProgramFixture& program, int baud) {
    if (!program.start() || !program.connectSerial(1, baud == 19200 ? 1 : 0)) {
        std::printf("  could not connect: %s\n", qPrintable(program.failure()));
        return nullptr;
    }
    program.window().Registry().NavigateTo(MeasureButton);
    if (!program.waitForPage(QStringLiteral("CHILD_GEN_MEASURE")) || !program.waitForRefresh()) {
        return nullptr;
    }
    return qobject_cast<CHILD_GEN_MEASURE*>(program.window().Registry().CurrentPage());
}

void RefreshAgainstTheWire() {
    ProgramFixture::Options options = ProgramFixture::WithModule(ModuleAt(1, 4.1, 1000001));
    options.timing = true;
    ProgramFixture program(options);
    CHILD_GEN_MEASURE* page = OpenMeasurement(program, 19200);
    if (!page) {
        return;
    }
    constexpr int runs = 20;
    double refreshMs = 0;
    double wireMs = 0;
    double showMs = 0;
    int reads = 0;
    for (int run = 0; run < runs; ++run) {
        RefreshBatch batch;
        page->ChildFormClass_TimedRefresh(batch);
        QList<RefreshBatch::Show> shows;
        QList<QByteArray> frames;
        double elapsed = 0;
        onDevice(program.window(), [&] {
            program.bus().withBus([](SimulatedBus& bus) {
                bus.clearFramesSeen();
                return 0;
            });
            QElapsedTimer timer;
            timer.start();
            shows = batch.run(CurrentDevice::Get());
            elapsed = timer.nsecsElapsed() / 1e6;
            frames = program.bus().withBus([](SimulatedBus& bus) { return bus.framesSeen(); });
        });
        QElapsedTimer timer;
        timer.start();
        for (const RefreshBatch::Show& show : shows) {
            show();
        }
        showMs += timer.nsecsElapsed() / 1e6;
        refreshMs += elapsed;
        wireMs += WireMs(frames, 19200);
        reads = int(frames.size());
    }
    std::printf("Measurement refresh at 19200 baud (firmware 4.1, serial, %d reads): %.1f ms; wire "
                "time of its transactions %.1f ms; ratio %.3f (goal <= 1.10); showing the values "
                "%.3f ms\n",
                reads, refreshMs / runs, wireMs / runs, refreshMs / wireMs, showMs / runs);
}

void RefreshesInARow(int baud) {
    ProgramFixture::Options options = ProgramFixture::WithModule(ModuleAt(1, 4.1, 1000001, baud));
    options.timing = true;
    ProgramFixture program(options);
    CHILD_GEN_MEASURE* page = OpenMeasurement(program, baud);
    if (!page) {
        return;
    }
    QElapsedTimer clock;
    clock.start();
    auto times = std::make_shared<TransactionTimes>(clock);
    LinkLogTap tap;
    tap.add(times);
    MainFrm& window = program.window();
    onDevice(window, [&] { window.Links()->serial().log = &tap; });

    // The window thread's responsiveness: a 10 ms timer and the longest wait between its ticks.
    QElapsedTimer probeClock;
    probeClock.start();
    qint64 lastProbe = 0;
    qint64 longestProbeGap = 0;
    QTimer probe;
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = probeClock.elapsed();
        longestProbeGap = std::max(longestProbeGap, now - lastProbe);
        lastProbe = now;
    });
    QSignalSpy shown(&window, &MainFrm::RefreshShown);
    constexpr int seconds = 8;
    lastProbe = probeClock.elapsed();
    probe.start();
    QTest::qWait(seconds * 1000);
    probe.stop();
    onDevice(window, [&] { window.Links()->serial().log = nullptr; });

    // A refresh begins with its VALUE read; it ends with the last transaction before the next.
    struct Refresh {
        qint64 start;
        qint64 end;
    };
    QList<Refresh> refreshes;
    for (const TransactionTimes::Entry& entry : times->entries()) {
        if (entry.member == QLatin1String("VALUE")) {
            refreshes.append({entry.startMs, entry.endMs});
        } else if (!refreshes.isEmpty()) {
            refreshes.last().end = entry.endMs;
        }
    }
    if (refreshes.size() < 3) {
        std::printf("  too few refreshes seen (%lld)\n", qlonglong(refreshes.size()));
        return;
    }
    double duration = 0;
    qint64 longestGap = 0;
    qint64 shortestGap = std::numeric_limits<qint64>::max();
    // The first and last may be cut by the measurement's edges.
    for (int i = 1; i + 1 < refreshes.size(); ++i) {
        duration += refreshes[i].end - refreshes[i].start;
        const qint64 gap = refreshes[i + 1].start - refreshes[i].end;
        longestGap = std::max(longestGap, gap);
        shortestGap = std::min(shortestGap, gap);
    }
    const int counted = int(refreshes.size()) - 2;
    duration /= counted;
    std::printf("Measurement refreshes at %d baud over %d s: %d refreshes of %.0f ms each for a "
                "333 ms interval; between the end of one and the start of the next %lld to %lld "
                "ms (never negative: no overlap, no burst); %lld shown; longest wait of the "
                "window thread %lld ms (goal <= 50)\n",
                baud, seconds, int(refreshes.size()), duration, qlonglong(shortestGap),
                qlonglong(longestGap), qlonglong(shown.count()), qlonglong(longestProbeGap));
}

// Answers the save dialog with a path.
class SaveTo : public ConfigurationFileDialogs {
public:
    explicit SaveTo(QString path)
        : m_path(std::move(path)) {}
    QString saveFileName(QWidget*, const FileDialogRequest&) override { return m_path; }
    QString openFileName(QWidget*, const FileDialogRequest&) override { return m_path; }

private:
    QString m_path;
};

void SaveFromThePage() {
    ProgramFixture::Options options = ProgramFixture::WithModule(ModuleAt(1, 4.1, 1000001));
    options.timing = true;
    ProgramFixture program(options);
    if (!program.start() || !program.connectSerial(1, 1)) {
        std::printf("  could not connect: %s\n", qPrintable(program.failure()));
        return;
    }
    program.window().Registry().NavigateTo(FileButton);
    if (!program.waitForPage(QStringLiteral("CHILD_GEN_FILE"))) {
        return;
    }
    auto* page = qobject_cast<CHILD_GEN_FILE*>(program.window().Registry().CurrentPage());
    QTemporaryDir folder;
    const QString pagePath = folder.filePath(QStringLiteral("page.zcf"));
    const QString enginePath = folder.filePath(QStringLiteral("engine.zcf"));
    page->SetFileDialogs(std::make_unique<SaveTo>(pagePath));
    constexpr int runs = 3;
    double engineMs = 0;
    double pageMs = 0;
    bool clean = true;
    for (int run = 0; run < runs; ++run) {
        onDevice(program.window(), [&] {
            ConfigurationFileModule::Options engine;
            engine.firmwareVersion = CurrentDevice::Connection().firmwareVersion;
            QElapsedTimer timer;
            timer.start();
            clean = ConfigurationFileModule::SaveZEX(*CurrentDevice::Get(), enginePath, engine)
                        .clean() &&
                    clean;
            engineMs += timer.nsecsElapsed() / 1e6;
        });
        QSignalSpy finished(page, &CHILD_GEN_FILE::OperationFinished);
        QElapsedTimer timer;
        timer.start();
        page->btnSave->HandleClick();
        if (!finished.wait(30000) && finished.isEmpty()) {
            std::printf("  the page's save did not finish\n");
            return;
        }
        pageMs += timer.nsecsElapsed() / 1e6;
    }
    // The page's own part before the engine: the proposal, the dialog (answered at once) and the
    // "Files" settings written; a cancelled dialog writes them too and stops there.
    page->SetFileDialogs(std::make_unique<SaveTo>(QString()));
    QElapsedTimer choosing;
    choosing.start();
    for (int run = 0; run < runs; ++run) {
        page->btnSave->HandleClick();
    }
    const double chooseMs = choosing.nsecsElapsed() / 1e6 / runs;
    std::printf("Choosing the file to save, with the \"Files\" settings written: %.1f ms\n",
                chooseMs);
    std::printf("Full save at 19200 baud (firmware 4.1, serial): from the page %.0f ms, the "
                "engine alone %.0f ms; ratio %.3f (goal <= 1.10)%s; %s\n",
                pageMs / runs, engineMs / runs, pageMs / engineMs,
                clean && program.dialogs.isEmpty() ? "" : " ERRORS",
                qPrintable(program.notices.isEmpty() ? QStringLiteral("no progress shown")
                                                     : QStringLiteral("progress shown")));
}

void TrendCost() {
    TrendWindow trend;
    TrendPlot plot(trend);
    plot.resize(480, 168);
    plot.setScale(DisplayScale::FromStatus(64 + 3 * 256, 0));
    QImage image(plot.size(), QImage::Format_ARGB32_Premultiplied);
    qint64 time = 0;
    for (int i = 0; i < 180; ++i, time += 333) {
        trend.add(time, 12.5 + std::sin(i / 10.0), std::sin(i / 10.0));
    }
    constexpr int runs = 2000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i, time += 333) {
        trend.add(time, 12.5 + std::sin(i / 10.0), std::sin(i / 10.0));
    }
    const double addUs = timer.nsecsElapsed() / 1e3 / runs;
    timer.restart();
    for (int i = 0; i < runs / 10; ++i, time += 333) {
        trend.add(time, 12.5 + std::sin(i / 10.0), std::sin(i / 10.0));
        plot.render(&image);
    }
    const double paintUs = timer.nsecsElapsed() / 1e3 / (runs / 10);
    std::printf("Trend per refresh, a full minute (%d samples) on a %dx%d plot: adding a sample "
                "%.2f us, adding and drawing %.0f us (goal < 1000 us)\n",
                trend.size(), plot.width(), plot.height(), addUs, paintUs);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    TrendCost();
    RefreshAgainstTheWire();
    RefreshesInARow(19200);
    RefreshesInARow(9600);
    SaveFromThePage();
    return 0;
}
