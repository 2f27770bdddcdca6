// What the link log costs: the software's own time per transaction with no sink installed, with
// the Link log window's buffer and with zexctl's trace formatting every line, against a port
// that answers at once; then the time on the wire at 19200 baud with real line timing against
// the simulated bus, with and without the log, and whether the frames on the wire are the same.
// Prints figures; checks nothing.
#include "linklog/LinkLogBuffer.h"
#include "linklog/LinkLogFormat.h"
#include "linklog/LinkLogTap.h"
#include "serial/SerialClass.h"
#include "serial/SerialPortControl.h"
#include "serial/Zarnbus2Module.h"
#include "support/FakeZarnbusModule.h"
#include "support/SimulatedLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

namespace {

QTextStream out(stdout);

// A port whose module answers the moment the frame is written: what is left is the software.
class InstantPort : public SerialPortControl {
public:
    explicit InstantPort(FakeZarnbusModule& module)
        : m_module(module) {}
    void setPortNumber(int) override {}
    void setPortName(const QString&) override {}
    void setBaudRate(int) override {}
    int open() override { return 1; }
    int close() override { return 0; }
    bool isOpen() const override { return true; }
    void resetInput() override {}
    void write(const QByteArray& bytes) override { m_reply = m_module.respond(bytes); }
    QByteArray read(int, int) override { return m_reply; }

private:
    FakeZarnbusModule& m_module;
    QByteArray m_reply;
};

// zexctl --trace without the terminal: every line formatted, into a string that is dropped.
class FormattingSink : public LinkLogSink {
public:
    void record(const LinkLogRecord& record) override {
        m_length += LinkLogFormat::Line(record, true).size();
    }
    qsizetype m_length = 0;
};

// The real port, with a stopwatch on each exchange: from the frame's write to the reply read.
class TimedPort : public SerialPortControl {
public:
    explicit TimedPort(SerialPortControl& port)
        : m_port(port) {}
    void setPortNumber(int number) override { m_port.setPortNumber(number); }
    void setPortName(const QString& name) override { m_port.setPortName(name); }
    void setBaudRate(int baud) override { m_port.setBaudRate(baud); }
    int open() override { return m_port.open(); }
    int close() override { return m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    void resetInput() override { m_port.resetInput(); }
    void write(const QByteArray& bytes) override {
        m_timer.start();
        m_port.write(bytes);
    }
    QByteArray read(int byteCount, int timeoutMs) override {
        const QByteArray reply = m_port.read(byteCount, timeoutMs);
        lastExchangeMs = m_timer.nsecsElapsed() / 1e6;
        return reply;
    }
    double lastExchangeMs = 0;

private:
    SerialPortControl& m_port;
    QElapsedTimer m_timer;
};

struct Setup {
    const char* name;
    std::shared_ptr<LinkLogSink> sink; // none: the tap is there, empty
    bool withTap = true;
};

constexpr int Rounds = 9;
constexpr int CallsPerRound = 20000;

// One driver on an instant port, set up as one of the setups.
struct Rig {
    explicit Rig(const Setup& setup)
        : port(module)
        , link(port, clock) {
        module.values = {{ZarnbusNumber::GROSS, 12.5f}};
        if (setup.withTap) {
            link.log = &tap;
        }
        if (setup.sink) {
            tap.add(setup.sink);
        }
        device.DriverStation(1);
    }
    FakeZarnbusModule module{1};
    InstantPort port;
    ManualClock clock;
    Zarnbus2Link link;
    LinkLogTap tap;
    SerialClass device{link};
};

// Microseconds per call of a batch.
double microsecondsPerCall(const std::function<void()>& call) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < CallsPerRound; ++i) {
        call();
    }
    return timer.nsecsElapsed() / 1e3 / CallsPerRound;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void softwareCost() {
    out << "Software cost per transaction, port answering at once (medians of " << Rounds
        << " rounds of " << CallsPerRound
        << ",\nthe setups taking turns so the machine's load falls on all alike):\n";
    out << QStringLiteral("  %1 %2 %3 %4   %5\n")
               .arg("", -34)
               .arg("read", 9)
               .arg("write", 9)
               .arg("command", 9)
               .arg("added to a read");
    const QList<Setup> setups = {
        {"no tap on the link", nullptr, false},
        {"tap, no sink (log window closed)", nullptr, true},
        {"Link log window's buffer", std::make_shared<LinkLogBuffer>(), true},
        {"every line formatted (--trace)", std::make_shared<FormattingSink>(), true},
    };
    std::vector<std::unique_ptr<Rig>> rigs;
    for (const Setup& setup : setups) {
        rigs.push_back(std::make_unique<Rig>(setup));
    }
    QList<QList<double>> reads(setups.size()), writes(setups.size()), commands(setups.size());
    for (int round = 0; round < Rounds; ++round) {
        for (qsizetype i = 0; i < setups.size(); ++i) {
            SerialClass& device = rigs[std::size_t(i)]->device;
            reads[i].append(microsecondsPerCall([&] { device.GROSS(); }));
            writes[i].append(microsecondsPerCall([&] { device.ALARM(DeviceValue(90)); }));
            commands[i].append(microsecondsPerCall([&] { device.DOKEYHLD(); }));
            // Module-side bookkeeping grows with every call; it is not the driver's.
            FakeZarnbusModule& module = rigs[std::size_t(i)]->module;
            module.receivedWrites.clear();
            module.receivedCommands.clear();
            module.receivedReads.clear();
        }
    }
    const double baseline = median(reads[0]);
    for (qsizetype i = 0; i < setups.size(); ++i) {
        out << QStringLiteral("  %1 %2 %3 %4   %5 ms\n")
                   .arg(QLatin1String(setups[i].name), -34)
                   .arg(QStringLiteral("%1 us").arg(median(reads[i]), 0, 'f', 2), 9)
                   .arg(QStringLiteral("%1 us").arg(median(writes[i]), 0, 'f', 2), 9)
                   .arg(QStringLiteral("%1 us").arg(median(commands[i]), 0, 'f', 2), 9)
                   .arg((median(reads[i]) - baseline) / 1000.0, 0, 'f', 5);
    }
    LinkLogTap idle;
    QElapsedTimer timer;
    timer.start();
    constexpr int Checks = 10000000;
    int active = 0;
    for (int i = 0; i < Checks; ++i) {
        active += idle.active() ? 1 : 0; // what a transaction asks of an empty tap
    }
    out << QStringLiteral("  with no sink a transaction adds one check of the tap: %1 ns "
                          "(%2 ms)%3\n")
               .arg(double(timer.nsecsElapsed()) / Checks, 0, 'f', 2)
               .arg(double(timer.nsecsElapsed()) / Checks / 1e6, 0, 'g', 2)
               .arg(active ? QStringLiteral("?") : QString());
}

bool wireTiming() {
    constexpr int Baud = 19200;
    constexpr int Runs = 100;
    ModuleConfig config;
    config.baudRate = Baud;
    SimulatedLink line({config}, true, Baud);
    if (!line.isReady()) {
        out << "cannot start the simulator: " << line.failure() << "\n";
        return false;
    }
    // The simulator's line, driven through a link of our own so each exchange can be timed.
    TimedPort port(line.port());
    Zarnbus2Link link(port, systemClock());
    LinkLogTap tap;
    link.log = &tap;
    SerialClass device(link);
    device.DriverStation(1);
    const auto buffer = std::make_shared<LinkLogBuffer>();
    const auto trace = std::make_shared<FormattingSink>();
    const QList<std::shared_ptr<LinkLogSink>> sinks = {nullptr, buffer, trace};
    out << "\nOn the wire, 19200 baud with real line timing (medians of " << Runs
        << " transactions each, the three taking\nturns): the exchange, from the frame's write to "
           "the reply read, then the whole transaction\nwith the log's work after the reply; "
           "limit = bytes x 10 / baud + 2 ms turnaround:\n";
    out << QStringLiteral("  %1 %2 %3 %4 %5  %6\n")
               .arg("", -20)
               .arg("no sink", 10)
               .arg("buffer", 10)
               .arg("--trace", 10)
               .arg("limit", 10)
               .arg("frames on the wire");
    const auto limit = [](int bytes) { return bytes * 10.0 * 1000.0 / Baud + 2.0; };
    const QList<std::tuple<QString, std::function<void()>, double>> transactions = {
        {"read", [&] { device.GROSS(); }, limit(5 + 11)},
        {"write", [&] { device.ALARM(DeviceValue(90)); }, limit(13 + 2)},
        {"command", [&] { device.DOKEYHLD(); }, limit(5 + 2)},
    };
    const auto ms = [](double value) { return QStringLiteral("%1 ms").arg(value, 0, 'f', 3); };
    for (const auto& [what, transaction, limitMs] : transactions) {
        transaction(); // warm up
        line.takeFramesSeen();
        QList<QList<double>> exchanges(sinks.size());
        QList<QList<double>> wholes(sinks.size());
        QList<QList<QByteArray>> frames(sinks.size());
        for (int run = 0; run < Runs; ++run) {
            for (qsizetype i = 0; i < sinks.size(); ++i) {
                if (sinks[i]) {
                    tap.add(sinks[i]);
                }
                QElapsedTimer timer;
                timer.start();
                transaction();
                wholes[i].append(timer.nsecsElapsed() / 1e6);
                exchanges[i].append(port.lastExchangeMs);
                if (sinks[i]) {
                    tap.remove(sinks[i]);
                }
                frames[i] += line.takeFramesSeen();
            }
        }
        const bool same = frames[0] == frames[1] && frames[0] == frames[2];
        out << QStringLiteral("  %1 %2 %3 %4 %5  %6\n")
                   .arg(what + QStringLiteral(" exchange"), -20)
                   .arg(ms(median(exchanges[0])), 10)
                   .arg(ms(median(exchanges[1])), 10)
                   .arg(ms(median(exchanges[2])), 10)
                   .arg(ms(limitMs), 10)
                   .arg(same ? QStringLiteral("the same") : QStringLiteral("DIFFERENT"));
        out << QStringLiteral("  %1 %2 %3 %4\n")
                   .arg(what + QStringLiteral(" transaction"), -20)
                   .arg(ms(median(wholes[0])), 10)
                   .arg(ms(median(wholes[1])), 10)
                   .arg(ms(median(wholes[2])), 10);
    }
    out << "  records kept by the buffer: " << buffer->size() << "\n";
    if (device.ErrorState()) {
        out << "  link error during the run: " << device.ErrorDescription() << "\n";
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    softwareCost();
    const bool ok = wireTiming();
    out.flush();
    return ok ? 0 : 1;
}
