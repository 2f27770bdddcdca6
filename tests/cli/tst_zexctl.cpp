#include "cli/ZexCtl.h"
#include "serial/QtSerialPortControl.h"
#include "serial/Zarnbus2Module.h"
#include "support/PseudoTerminal.h"
#include "util/MonotonicClock.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QMutex>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

const QByteArray Wake(10, '\0');

// A module on the far end of a pseudo-terminal: splits what arrives into Zarnbus 2 frames and
// answers those for its station, reads from its parameter table, writes and commands with ACK.
class FakeModule {
public:
    explicit FakeModule(PseudoTerminal& terminal, quint8 station = 1)
        : m_terminal(terminal)
        , m_station(station) {
        terminal.startResponder([this](QByteArray& unconsumed) { return answer(unconsumed); });
    }
    ~FakeModule() { m_terminal.stopResponder(); }

    void setParameter(quint8 number, float value) {
        QMutexLocker lock(&m_mutex);
        m_parameters[number] = value;
    }
    void setSilent(bool silent) { m_silent = silent; }

private:
    QByteArray answer(QByteArray& unconsumed) {
        QByteArray replies;
        for (;;) {
            const qsizetype start = unconsumed.indexOf(char(Zarnbus2Module::StartByte));
            if (start < 0) {
                unconsumed.clear(); // wake bytes and line noise
                return replies;
            }
            unconsumed.remove(0, start);
            if (unconsumed.size() < 3) {
                return replies;
            }
            const quint8 command = quint8(unconsumed[2]);
            const int length = (command & 0x80) ? 5 : 13;
            if (unconsumed.size() < length) {
                return replies;
            }
            const quint8 station = quint8(unconsumed[1]);
            unconsumed.remove(0, length);
            if (m_silent || station != m_station) {
                continue;
            }
            QMutexLocker lock(&m_mutex);
            const quint8 number = command & 0x7F;
            replies += (command & 0x80) && number < 100
                           ? Zarnbus2Module::BuildReadReply(station, m_parameters.value(number))
                           : Zarnbus2Module::BuildAck(station);
        }
    }

    PseudoTerminal& m_terminal;
    quint8 m_station;
    std::atomic<bool> m_silent{false};
    QMutex m_mutex;
    QMap<quint8, float> m_parameters;
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
        PseudoTerminal terminal;
        FakeModule module(terminal);
        module.setParameter(10, 1.08f);
        const Outcome result = run({"--port", terminal.devicePath(), "get", "VERS"});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("VERS=1.08\n"));
        QCOMPARE(terminal.received(), Wake + QByteArray::fromHex("fe018a080b"));

        // Nothing is left holding the port: a second run opens it at once.
        QCOMPARE(run({"--port", terminal.devicePath(), "get", "VERS"}).exitCode, 0);
    }

    void setSendsTheExactWriteFrame() {
        PseudoTerminal terminal;
        FakeModule module(terminal, 5);
        const Outcome result =
            run({"--port", terminal.devicePath(), "--station", "5", "set", "DP", "3"});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.exitCode, 0);
        // FE, station 5, parameter 24, 3.0 as nibbles with the end marker, checksum 0x9D.
        const QByteArray frame = QByteArray::fromHex("fe05180400040000000080090d");
        QCOMPARE(frame.size(), 13);
        QCOMPARE(terminal.received(), Wake + frame);
    }

    void callSendsTheCommandFrame() {
        PseudoTerminal terminal;
        FakeModule module(terminal, 5);
        const Outcome result =
            run({"--station=5", "call", "dokeytar", "--port", terminal.devicePath()});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(terminal.received(), Wake + QByteArray::fromHex("fe05e80e0d"));
    }

    void severalNamesInAnyCaseThroughAPortNumber() {
        PseudoTerminal terminal;
        FakeModule module(terminal);
        module.setParameter(14, 12.5f); // GROSS
        module.setParameter(9, 1.0f);   // serial number, high half
        module.setParameter(8, 2.0f);   // low half
        const QString links = m_config.path() + QStringLiteral("/ZEX Toolkit/ports");
        QDir().mkpath(links);
        QVERIFY(QFile::link(terminal.devicePath(), links + QStringLiteral("/COM233")));

        const Outcome listing = run({"ports"});
        QCOMPARE(listing.exitCode, 0);
        QVERIFY2(listing.out.contains(QStringLiteral("COM233  %1\n").arg(terminal.devicePath())),
                 qPrintable(listing.out));

        const Outcome result = run({"--port", "com233", "get", "gross", "SerialNumber", "CHANNEL"});
        QFile::remove(links + QStringLiteral("/COM233"));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("GROSS=12.5\nSERIALNUMBER=0000065538\nCHANNEL=\n"));
    }

    void aSilentModuleIsALinkFailure() {
        PseudoTerminal terminal;
        FakeModule module(terminal);
        module.setSilent(true);
        const Outcome result = run({"--port", terminal.devicePath(), "get", "VERS", "GROSS"});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.contains(QLatin1String("No Response")), qPrintable(result.err));
        const QByteArray request = QByteArray::fromHex("fe018a080b");
        QCOMPARE(terminal.received(), Wake + request + request + request); // then it gave up
    }

    void portsThatCannotBeOpenedAreLinkFailures() {
        const Outcome missing = run({"--port", "/dev/zex-no-such-device", "get", "VERS"});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(missing.err.contains(QLatin1String("/dev/zex-no-such-device")) &&
                     missing.err.contains(QLatin1String("does not exist")),
                 qPrintable(missing.err));

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
        QTest::newRow("an unknown member lists the readable ones")
            << QStringList{"get", "VERS", "NOSUCH"} << "unknown member \"NOSUCH\"";
        QTest::newRow("a member that cannot be read") << QStringList{"get", "RST"} << "call RST";
        QTest::newRow("a member that cannot be written")
            << QStringList{"set", "GROSS", "1"} << "GROSS cannot be written";
        QTest::newRow("an operation that does not exist")
            << QStringList{"call", "DP"} << "DP cannot be called";
        QTest::newRow("a value that is no number")
            << QStringList{"set", "DP", "three"} << "not a number";
        QTest::newRow("set without a value") << QStringList{"set", "DP"} << "set NAME VALUE";
        QTest::newRow("get without a name") << QStringList{"get"} << "get NAME...";
        QTest::newRow("a baud rate the bus does not use")
            << QStringList{"--baud", "4800", "get", "VERS"} << "use 9600 or 19200";
        QTest::newRow("a station above 254")
            << QStringList{"--station", "255", "get", "VERS"} << "use 1 to 254";
        QTest::newRow("a station that is no number")
            << QStringList{"--station", "five", "get", "VERS"} << "use 1 to 254";
        QTest::newRow("station 0 cannot answer a read")
            << QStringList{"--station", "0", "get", "VERS"} << "station 0";
        QTest::newRow("station 0 cannot report the status a net mode change needs")
            << QStringList{"--station", "0", "set", "netmode", "1"} << "NetMode is set by reading";
        QTest::newRow("a port number out of range")
            << QStringList{"--port", "COM256", "get", "VERS"} << "COM1 to COM255";
        QTest::newRow("an option without its value")
            << QStringList{"get", "VERS", "--port"} << "--port needs a value";
        QTest::newRow("an unknown option")
            << QStringList{"--speed", "9600", "get", "VERS"} << "unknown option --speed";
        QTest::newRow("an unknown command") << QStringList{"read", "VERS"} << "unknown command";
        QTest::newRow("no command") << QStringList{} << "no command";
    }
    void badInputIsAUsageErrorBeforeTheBusIsTouched() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        PseudoTerminal terminal;
        FakeModule module(terminal);
        if (!arguments.contains(QLatin1String("--port"))) {
            arguments.prepend(terminal.devicePath());
            arguments.prepend(QStringLiteral("--port"));
        }
        const Outcome result = run(arguments);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        const QString firstLine = result.err.section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(firstLine.startsWith(QLatin1String("zexctl: ")) && firstLine.contains(message),
                 qPrintable(result.err));
        QCOMPARE(terminal.received(), QByteArray());
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
        PseudoTerminal terminal;
        FakeModule module(terminal, 5);
        const Outcome result =
            run({"--port", terminal.devicePath(), "--station", "0", "set", "Damp", "10"});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.err.contains(QLatin1String("not confirmed")));
        QTRY_COMPARE(terminal.received(),
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
