#include "cli/RadioCommands.h"
#include "cli/ZexCtl.h"
#include "device/CurrentDevice.h"
#include "device/ZEX.h"
#include "sim/BaseStationServer.h"
#include "sim/SimBaseStation.h"
#include "support/InMemoryRadioModule.h"
#include "support/RawLocalPeer.h"
#include "support/ScriptedRadio.h"
#include "support/ScriptedSerialPort.h"
#include "util/MonotonicClock.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

namespace {

struct Console {
    ManualClock clock;
    ScriptedRadioScript script{clock};
    ScriptedRadioFactory factory{script};
    QString outText;
    QString errText;
    QTextStream out{&outText};
    QTextStream err{&errText};

    int radio(const QStringList& words) {
        return RadioCommands::run(words, out, err, factory, clock);
    }
};

} // namespace

class TestRadioCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commands_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<bool>("interface");
        QTest::addColumn<bool>("baseStation");
        QTest::addColumn<bool>("succeeds"); // the module pairs, the base station takes the channel
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("outText");
        QTest::addColumn<QString>("errText"); // what status says; contained in what others say
        const auto row = [](const char* name, const QStringList& words, bool interface,
                            bool baseStation, bool succeeds, int exitStatus, const char* outText,
                            const char* errText) {
            QTest::newRow(name) << words << interface << baseStation << succeeds << exitStatus
                                << QString(outText) << QString(errText);
        };
        row("status with a base station", {"status"}, true, true, true, 0,
            "Connected to Base Station ID 12AB on channel 3\n", "");
        row("status without a USB interface", {"status"}, false, true, true, 1, "",
            "Failed to open USB interface!\n");
        row("status without a base station", {"status"}, true, false, true, 1, "",
            "Could not detect a Base Station!\n");
        row("a pairing", {"pair"}, true, true, true, 0, "ID 1A2B model ZEX\n",
            "You have 10 seconds to perform Pairing on the ZEX.");
        row("a pairing without a module", {"pair"}, true, true, false, 1, "",
            "Pairing Failed: Failed to pair with a module!");
        row("a channel", {"channel", "7"}, true, true, true, 0, "Base station channel 7\n", "");
        row("a channel the base station refuses", {"channel", "7"}, true, true, false, 1, "",
            "Cannot set base station channel!\n");
    }
    void commands() {
        QFETCH(QStringList, words);
        QFETCH(bool, interface);
        QFETCH(bool, baseStation);
        QFETCH(bool, succeeds);
        QFETCH(int, exitStatus);
        QFETCH(QString, outText);
        QFETCH(QString, errText);
        Console c;
        c.script.interfacePresent = interface;
        c.script.openDefault = baseStation;
        c.script.pairsAfterMs = succeeds ? 1500 : -1;
        c.script.errorFlagAfterClose = succeeds ? 0 : 1;
        c.script.values[RadioParameter::VERS] = DeviceValue(4.1f);
        QCOMPARE(c.radio(words), exitStatus);
        QCOMPARE(c.outText, outText);
        const bool status = words.first() == u"status";
        QVERIFY2(status ? c.errText == errText : c.errText.contains(errText),
                 qPrintable(c.errText));
        QVERIFY(!CurrentDevice::Get()); // released when the command ends
        if (succeeds && !status) {
            QVERIFY(words.first() == "pair" ? c.script.linkClosed
                                            : c.script.calls.contains("station.setChannel 7"));
        }
    }

    void badCommandLines_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("problem");
        QTest::newRow("nothing") << QStringList{} << "say what to do";
        QTest::newRow("an unknown command") << QStringList{"scan"} << "unknown radio command";
        QTest::newRow("a channel of 17") << QStringList{"channel", "17"} << "outside 1 to 16";
        QTest::newRow("a channel that is no number")
            << QStringList{"channel", "seven"} << "is not a channel number";
        QTest::newRow("a channel missing") << QStringList{"channel"} << "wrong number";
        QTest::newRow("status with an argument") << QStringList{"status", "now"} << "wrong number";
    }
    void badCommandLines() {
        QFETCH(QStringList, words);
        QFETCH(QString, problem);
        Console c;
        QCOMPARE(c.radio(words), 2);
        QVERIFY2(c.errText.contains(problem), qPrintable(c.errText));
        QVERIFY(c.script.calls.isEmpty());
    }

    void aConnectionByIdGivesTheModulesDriver() {
        Console c;
        c.script.values[RadioParameter::GROSS] = DeviceValue(3.25f);
        {
            RadioCommands::Connection connection(c.factory, c.clock);
            QCOMPARE(connection.open("1a2b", c.err), 0);
            QCOMPARE(c.script.target, 0x1A2Bu);
            QCOMPARE(connection.device()->GetByName("GROSS"), DeviceValue(3.25f));
        }
        QVERIFY(!CurrentDevice::Get());
        QVERIFY(c.script.linkClosed);
    }

    void aConnectionByIdThatFails_data() {
        QTest::addColumn<QString>("typedId");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("problem");
        QTest::newRow("seven digits") << "1234567" << true << 2 << "longer than 6";
        QTest::newRow("a module that does not answer") << "1A2B" << false << 1 << "Cannot detect";
    }
    void aConnectionByIdThatFails() {
        QFETCH(QString, typedId);
        QFETCH(bool, answers);
        QFETCH(int, exitStatus);
        QFETCH(QString, problem);
        Console c;
        c.script.linkAnswersAfterMs = answers ? 0 : -1;
        RadioCommands::Connection connection(c.factory, c.clock);
        QCOMPARE(connection.open(typedId, c.err), exitStatus);
        QVERIFY(!connection.device());
        QVERIFY2(c.errText.contains(problem), qPrintable(c.errText));
    }

    void zexctlReachesAModuleThroughTheSimulatedBaseStation() {
        SimBaseStation station(BaseStationConfig{true, 0x12AB, 3}, systemClock());
        auto module = std::make_unique<InMemoryRadioModule>(0x1A2B, 3);
        module->values = {{"GROSS", 12.5}, {"Damp", 10}};
        InMemoryRadioModule* target = module.get();
        station.addModule(std::move(module));
        const QString socket = UniqueRadioSocketName("zexctl");
        BaseStationServer server(station, socket);
        QVERIFY(server.startServing());

        ScriptedSerialPort unusedPort;
        const auto zexctl = [&](const QStringList& arguments, QString& outText, QString& errText) {
            QTextStream out(&outText);
            QTextStream err(&errText);
            return ZexCtl(unusedPort, systemClock(), out, err)
                .run(QStringList{"--radio-socket", socket} + arguments);
        };
        QString out, err;
        QCOMPARE(zexctl({"radio", "status"}, out, err), 0);
        QCOMPARE(out, QStringLiteral("Connected to Base Station ID 12AB on channel 3\n"));
        out.clear();
        QCOMPARE(zexctl({"--radio-id", "1a2b", "--trace", "get", "GROSS"}, out, err), 0);
        QCOMPARE(out, QStringLiteral("GROSS=12.5\n"));
        // The trace names the module by its ID.
        QVERIFY2(err.contains(QRegularExpression(
                     "  radio 1A2B +read +GROSS +12\\.5 +OK +1 attempt +\\d+ ms\n")),
                 qPrintable(err));
        QCOMPARE(zexctl({"--radio-id", "1A2B", "set", "damp", "254"}, out, err), 0);
        QCOMPARE(target->values.value("Damp"), 254.0);
        QCOMPARE(unusedPort.openCount, 0);

        // DP is not among the module's values: it refuses the write.
        err.clear();
        QCOMPARE(zexctl({"--radio-id", "1A2B", "--trace", "set", "DP", "2"}, out, err), 1);
        QVERIFY2(err.contains(QRegularExpression(
                     "  radio 1A2B +write +DP +2 +NAK response +1 attempt +\\d+ ms\n")),
                 qPrintable(err));

        err.clear();
        QCOMPARE(zexctl({"--radio-id", "1A2B", "set", "SERIALNUMBER", "5"}, out, err), 2);
        QVERIFY2(err.contains("can only be read"), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestRadioCommands)
#include "tst_radiocommands.moc"
