#include "cli/ZexCtl.h"
#include "serial/QtSerialPortControl.h"
#include "serial/Zarnbus2Module.h"
#include "support/FakeZarnbusModule.h"
#include "support/PseudoTerminal.h"
#include "util/MonotonicClock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

const QByteArray Wake(10, '\0');

// A module at the far end of a pseudo-terminal. Once started it answers on the terminal's own
// thread, so its table is filled before.
struct ModuleOnTerminal {
    explicit ModuleOnTerminal(quint8 station = 1)
        : module(station) {}
    void start(bool answers = true) {
        terminal.startResponder([this, answers](QByteArray& unconsumed) {
            const QByteArray replies = module.respondToStream(unconsumed);
            return answers ? replies : QByteArray();
        });
    }
    FakeZarnbusModule module;
    PseudoTerminal terminal; // last: stops answering before the module goes
};

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class TestZexCtl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void getSendsTheReadFrameAndPrintsNameAndValue() {
        ModuleOnTerminal far;
        far.module.values[10] = 1.08f;
        far.start();
        const Outcome result = run({"--port", far.terminal.devicePath(), "get", "VERS"});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("VERS=1.08\n"));
        QCOMPARE(far.terminal.received(), Wake + QByteArray::fromHex("fe018a080b"));

        // Nothing is left holding the port: a second run opens it at once.
        QCOMPARE(run({"--port", far.terminal.devicePath(), "get", "VERS"}).exitCode, 0);
    }

    void setAndCallSendTheExactFrame_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("frame");
        // FE, station 5, parameter 24, 3.0 as nibbles with the end marker, checksum 0x9D.
        QTest::newRow("set") << QStringList{"--station", "5", "set", "DP", "3"}
                             << QByteArray::fromHex("fe05180400040000000080090d");
        QTest::newRow("call, options after the command")
            << QStringList{"--station=5", "call", "dokeytar", "--port", "PORT"}
            << QByteArray::fromHex("fe05e80e0d");
    }
    void setAndCallSendTheExactFrame() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, frame);
        ModuleOnTerminal far(5);
        far.start();
        if (!arguments.contains("--port")) {
            arguments.prepend("PORT");
            arguments.prepend("--port");
        }
        const Outcome result = run(arguments.replaceInStrings("PORT", far.terminal.devicePath()));
        QCOMPARE(result.err, QString());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(far.terminal.received(), Wake + frame);
    }

    void severalNamesInAnyCaseThroughAPortNumber() {
        ModuleOnTerminal far;
        far.module.values = {{14, 12.5f}, {9, 1.0f}, {8, 2.0f}}; // GROSS, serial high and low half
        far.start();
        const QString links = m_config.path() + QStringLiteral("/ZEX Toolkit/ports");
        QDir().mkpath(links);
        QVERIFY(QFile::link(far.terminal.devicePath(), links + QStringLiteral("/COM233")));

        const Outcome listing = run({"ports"});
        QCOMPARE(listing.exitCode, 0);
        QVERIFY2(
            listing.out.contains(QStringLiteral("COM233  %1\n").arg(far.terminal.devicePath())),
            qPrintable(listing.out));

        const Outcome result = run({"--port", "com233", "get", "gross", "SerialNumber", "CHANNEL"});
        QFile::remove(links + QStringLiteral("/COM233"));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("GROSS=12.5\nSERIALNUMBER=0000065538\nCHANNEL=\n"));
    }

    void aSilentModuleIsALinkFailure() {
        ModuleOnTerminal far;
        far.start(false);
        const Outcome result = run({"--port", far.terminal.devicePath(), "get", "VERS", "GROSS"});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.contains(QLatin1String("No Response")), qPrintable(result.err));
        const QByteArray request = QByteArray::fromHex("fe018a080b");
        QCOMPARE(far.terminal.received(), Wake + request + request + request); // then it gave up
    }

    // Why a port cannot be opened is the port's own text; zexctl makes it one line and status 1.
    void aPortThatCannotBeOpenedIsALinkFailure() {
        PseudoTerminal terminal;
        QtSerialPortControl otherProgram;
        otherProgram.setPortName(terminal.devicePath());
        otherProgram.open();
        const Outcome busy = run({"--port", terminal.devicePath(), "get", "VERS"});
        QCOMPARE(busy.exitCode, 1);
        QVERIFY2(busy.err.contains(QLatin1String("in use")), qPrintable(busy.err));
        QCOMPARE(busy.err.count(QLatin1Char('\n')), 1);
    }

    void badInputIsAUsageErrorBeforeTheBusIsTouched_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const QStringList& arguments, const char* message) {
            QTest::newRow(name) << arguments << QString(message);
        };
        row("an unknown member lists the readable ones", {"get", "VERS", "NOSUCH"},
            "unknown member \"NOSUCH\"");
        row("a member that cannot be read", {"get", "RST"}, "call RST");
        row("a member that cannot be written", {"set", "GROSS", "1"}, "GROSS cannot be written");
        row("an operation that does not exist", {"call", "DP"}, "DP cannot be called");
        row("a value that is no number", {"set", "DP", "three"}, "not a number");
        row("set without a value", {"set", "DP"}, "set NAME VALUE");
        row("get without a name", {"get"}, "get NAME...");
        row("a baud rate the bus does not use", {"--baud", "4800", "get", "VERS"},
            "use 9600 or 19200");
        row("a station above 254", {"--station", "255", "get", "VERS"}, "use 1 to 254");
        row("a station that is no number", {"--station", "five", "get", "VERS"}, "use 1 to 254");
        row("station 0 cannot answer a read", {"--station", "0", "get", "VERS"}, "station 0");
        row("station 0 cannot report the status a net mode change needs",
            {"--station", "0", "set", "netmode", "1"}, "NetMode is set by reading");
        row("a port number out of range", {"--port", "COM256", "get", "VERS"}, "COM1 to COM255");
        row("an option without its value", {"get", "VERS", "--port"}, "--port needs a value");
        row("an unknown option", {"--speed", "9600", "get", "VERS"}, "unknown option --speed");
        row("an unknown command", {"read", "VERS"}, "unknown command");
        row("no command", {}, "no command");
    }
    void badInputIsAUsageErrorBeforeTheBusIsTouched() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        ModuleOnTerminal far;
        far.start();
        if (!arguments.contains(QLatin1String("--port"))) {
            arguments.prepend(far.terminal.devicePath());
            arguments.prepend(QStringLiteral("--port"));
        }
        const Outcome result = run(arguments);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        const QString firstLine = result.err.section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(firstLine.startsWith(QLatin1String("zexctl: ")) && firstLine.contains(message),
                 qPrintable(result.err));
        QCOMPARE(far.terminal.received(), QByteArray());
    }

    void anUnknownMemberListsTheValidNames() {
        const Outcome result = run({"--port", "/dev/zex-unused", "get", "NOSUCH"});
        QCOMPARE(result.exitCode, 2);
        const QString names = result.err.section(QLatin1Char('\n'), 1, 1);
        QVERIFY2(names.contains(QLatin1String(" VERS ")) &&
                     names.contains(QLatin1String(" GROSS ")),
                 qPrintable(result.err));
        QVERIFY(!names.contains(QLatin1String(" RST "))); // an operation cannot be read
    }

    void aBroadcastIsSentWithoutWaitingForAReply() {
        ModuleOnTerminal far(5);
        far.start();
        const Outcome result =
            run({"--port", far.terminal.devicePath(), "--station", "0", "set", "Damp", "10"});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.err.contains(QLatin1String("not confirmed")));
        QTRY_COMPARE(far.terminal.received(),
                     Wake + Zarnbus2Module::BuildRequest(0, false, 26, false, 10.0f));
    }

    void helpDocumentsEveryCommandAndOption() {
        const Outcome result = run({"--help"});
        QCOMPARE(result.exitCode, 0);
        for (const char* word : {"ports", "get NAME...", "set NAME VALUE", "call OPERATION",
                                 "--port", "--baud", "--station", "Exit status"}) {
            QVERIFY2(result.out.contains(QLatin1String(word)), word);
        }
    }

private:
    Outcome run(const QStringList& arguments) {
        Outcome outcome;
        QTextStream out(&outcome.out);
        QTextStream err(&outcome.err);
        QtSerialPortControl port;
        ManualClock clock;
        ZexCtl zexctl(port, clock, out, err);
        outcome.exitCode = zexctl.run(arguments);
        out.flush();
        err.flush();
        return outcome;
    }

    QTemporaryDir m_config;
};

QTEST_GUILESS_MAIN(TestZexCtl)
#include "tst_zexctl.moc"
