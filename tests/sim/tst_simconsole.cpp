#include "sim/SimConsole.h"
#include "sim/SimOptions.h"
#include "sim/SimulatedBus.h"
#include "support/SimulatedLink.h"
#include "util/MonotonicClock.h"

#include <QTest>

namespace {

struct Bus {
    ManualClock clock;
    SimulatedBus bus{clock, 1};
    Bus() {
        bus.addModule(ModuleAt(1));
        bus.addModule(ModuleAt(2));
    }
    SimConsole::Result run(const QString& line) { return SimConsole::Execute(bus, line); }
};

} // namespace

class TestSimConsole : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandsNoiseAndSettlingActOnEveryModuleOrTheOneAddressed() {
        Bus line;
        QVERIFY(!line.run("load 10").failed);
        QVERIFY(line.bus.module(0).gross() > 9.9f && line.bus.module(1).gross() > 9.9f);
        QVERIFY(!line.run("@2 signal 0.01").failed);
        QVERIFY(line.bus.module(0).gross() > 9.9f);
        QVERIFY(std::abs(line.bus.module(1).gross()) < 0.01f);
        QVERIFY(!line.run("@1 key tare").failed);
        QCOMPARE(line.bus.module(0).statusWord() & 1, 1u);
        QCOMPARE(line.bus.module(1).statusWord() & 1, 0u);
        QVERIFY(!line.run("  @2   OFF ").failed);
        QVERIFY(!line.bus.module(1).isAwake());
        QVERIFY(line.run("status").output.contains("station 2 at 19200 baud, firmware 4.10"));
        QVERIFY(!line.run("wake").failed);
        QVERIFY(line.bus.module(1).isAwake());
        QVERIFY(line.run("quit").quit);
        QVERIFY(line.run("help").output.contains("fault KIND"));

        QVERIFY(!line.run("@2 noise 0.002").failed);
        QVERIFY(!line.run("settle 1500").failed);
        QCOMPARE(line.bus.module(0).noise(), 0.0);
        QCOMPARE(line.bus.module(1).noise(), 0.002);
        QCOMPARE(line.bus.module(0).settleMs(), qint64(1500));
        QCOMPARE(line.bus.module(1).settleMs(), qint64(1500));
        const QString status = line.run("status").output;
        QVERIFY2(status.contains("noise 0.002 mV/V, settling 1500 ms\n"), qPrintable(status));
        QVERIFY(!line.run("noise 0").failed);
        QVERIFY(!line.run("status").output.contains("noise"));
    }

    void faultsGoToTheBusOrToOneModule() {
        Bus line;
        QCOMPARE(line.run("fault nak").output, QStringLiteral("fault: nak always\n"));
        QCOMPARE(line.run("@2 fault short next 3").output,
                 QStringLiteral("fault: short for the next 3 frames\n"));
        QCOMPARE(line.run("delay 250").output, QString());
        QCOMPARE(line.run("@1 fault delay 0.5").output,
                 QStringLiteral("fault: delay with probability 0.5 (250 ms)\n"));
        QCOMPARE(line.bus.busFaults().rules().size(), 1);
        QCOMPARE(line.bus.moduleFaults(1).rules().first().remaining, 3);
        QCOMPARE(line.run("faults").output,
                 QStringLiteral("bus: nak always\nstation 1: delay with probability 0.5 (250 ms)\n"
                                "station 2: short for the next 3 frames\n"));
        line.run("@2 fault clear");
        QVERIFY(line.bus.moduleFaults(1).isEmpty());
        QVERIFY(!line.bus.busFaults().isEmpty());
        line.run("fault clear");
        QCOMPARE(line.run("faults").output, QStringLiteral("no faults\n"));
    }

    void mistakesAreExplained_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const char* line, const char* message) {
            QTest::newRow(name) << QString(line) << QString(message);
        };
        row("unknown command", "frobnicate", "unknown command \"frobnicate\"");
        row("load without a number", "load heavy", "load needs one number");
        row("station nobody has", "@9 load 1", "no module answers to station 9");
        row("address without command", "@1", "a command must follow @1");
        row("unknown fault", "fault gremlins", "fault needs a kind");
        row("probability above one", "fault nak 1.5", "a probability lies above 0");
        row("next without a count", "fault nak next", "say how often");
        row("next zero frames", "fault nak next 0", "\"next\" needs a number");
        row("unknown key", "key zero", "key needs one of");
        row("timing maybe", "timing maybe", "timing needs on or off");
        row("negative turnaround", "turnaround -1", "turnaround needs a time");
        row("noise without a level", "noise loud", "noise needs mV/V");
        row("negative noise", "noise -0.1", "noise needs mV/V");
        row("settling without a time", "settle 1 2", "settle needs milliseconds");
    }
    void mistakesAreExplained() {
        QFETCH(QString, line);
        QFETCH(QString, message);
        Bus bus;
        const SimConsole::Result result = bus.run(line);
        QVERIFY(result.failed);
        QVERIFY2(result.output.startsWith("error: " + message), qPrintable(result.output));
    }

    void optionsDescribeTheBus() {
        QString error;
        std::optional<SimOptions> options = SimOptions::Parse({}, &error);
        QVERIFY(options);
        QCOMPARE(options->modules.size(), 1);
        QCOMPARE(options->modules[0].station, 1);
        QCOMPARE(options->modules[0].firmware, 4.1);
        QCOMPARE(options->modules[0].baudRate, 19200);
        QVERIFY(options->timing);

        options = SimOptions::Parse({"--module", "firmware=2.5,supply=3", "--module",
                                     "station=7,baud=9600,serial=4294967295", "--no-timing",
                                     "--turnaround", "3.5", "--port", "201"},
                                    &error);
        QVERIFY2(options, qPrintable(error));
        QCOMPARE(options->modules.size(), 2);
        QCOMPARE(options->modules[0].station, 1);
        QCOMPARE(options->modules[0].supplyVolts, 3);
        QCOMPARE(options->modules[1].station, 7);
        QCOMPARE(options->modules[1].serialNumber, 4294967295u);
        QCOMPARE(options->turnaroundUs, qint64(3500));
        QCOMPARE(options->portNumber, 201);
        QVERIFY(!options->timing);
    }

    void badOptionsAreExplained_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const QStringList& arguments, const char* message) {
            QTest::newRow(name) << arguments << QString(message);
        };
        row("unknown option", {"--fast"}, "unknown option \"--fast\"");
        row("module without settings", {"--module"}, "--module needs");
        row("station 255", {"--module", "station=255"}, "--module station=255: station must be");
        row("baud 4800", {"--module", "baud=4800"}, "--module baud=4800: baud must be");
        row("supply 5", {"--module", "supply=5"}, "--module supply=5: supply");
        row("unknown key", {"--module", "colour=3"}, "--module colour=3: unknown key");
        row("not a number", {"--module", "firmware=new"},
            "--module firmware=new: \"firmware=new\" is not");
        row("same station twice", {"--module", "station=3", "--module", "station=3"},
            "two modules cannot both answer to station 3");
        row("port 0", {"--port", "0"}, "--port needs");
    }
    void badOptionsAreExplained() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QString error;
        QVERIFY(!SimOptions::Parse(arguments, &error));
        QVERIFY2(error.startsWith(message), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestSimConsole)
#include "tst_simconsole.moc"
