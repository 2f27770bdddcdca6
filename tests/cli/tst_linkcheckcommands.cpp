#include "cli/ZexCtl.h"
#include "serial/QtSerialPortControl.h"
#include "serial/ZarnbusNumbers.h"
#include "sim/SimParameterTable.h"
#include "support/FakeZarnbusModule.h"
#include "support/ScratchFiles.h"
#include "support/ScriptedSerialPort.h"
#include "support/SimulatedLink.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

namespace Z = ZarnbusNumber;

namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome Run(SerialPortControl& port, MonotonicClock& clock, const QStringList& arguments) {
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    outcome.exitCode = ZexCtl(port, clock, out, err).run(arguments);
    return outcome;
}

// zexctl against two simulated modules on a pseudo-terminal, stations 1 and 2.
struct TwoModules {
    TwoModules() {
        if (line.isReady()) {
            line.port().close(); // zexctl opens the line itself
        }
    }
    Outcome zexctl(int station, const QStringList& arguments) {
        return Run(port, systemClock(),
                   QStringList{"--port", line.server().devicePath(), "--station",
                               QString::number(station)} +
                       arguments);
    }
    void write(int index, const char* name, double value) {
        line.withBus([&](SimulatedBus& bus) { bus.module(index).writeByName(name, value); });
    }
    float value(int index, const char* name) {
        const int number = SimParameterTable::FindByName(QLatin1String(name))->number;
        return line.withBus(
            [&](SimulatedBus& bus) { return bus.module(index).read(number).value; });
    }

    SimulatedLink line{{ModuleAt(1, 4.1, 1000001), ModuleAt(2, 4.1, 1000002)}};
    QtSerialPortControl port;
};

// The module values a restore carries, away from the factory ones; Gain is a single that seven
// digits in a file cannot quite hold, as a module's own calibration leaves it.
void Configure(TwoModules& modules) {
    modules.write(0, "DP", 4);
    modules.write(0, "ALARM", 85);
    modules.write(0, "Damp", 100);
    modules.write(0, "Gain", 12.3456789);
    modules.write(0, "LINX1", 0.1);
}

} // namespace

class TestLinkCheckCommands : public QObject {
    Q_OBJECT

    ScratchFolder m_files;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_files.path("config"))); }

    // Save on one module; restore --verify a copy the other refuses part of; restore it whole;
    // then diff a module that matches and one that differs in two keys.
    void restoreVerifyAndDiffAgainstTwoModules() {
        TwoModules modules;
        QVERIFY2(modules.line.isReady(), qPrintable(modules.line.failure()));
        Configure(modules);
        const QString file = m_files.path("ZEX 0001000001.zcf");
        const Outcome saved = modules.zexctl(1, {"save", file});
        QCOMPARE(saved.err, QString());
        QCOMPARE(saved.out, "10%\n20%\n40%\n60%\n80%\n100%\nConfiguration saved to " + file + '\n');
        QCOMPARE(saved.exitCode, 0);

        // Decimal places go up to 6: the module refuses 7 with a NAK.
        QByteArray bytes = ReadBytes(file);
        QVERIFY(bytes.contains("\r\nDP=4\r\n"));
        const QString refused = m_files.path("refused.zcf");
        WriteBytes(refused, bytes.replace("\r\nDP=4\r\n", "\r\nDP=7\r\n"));
        const float decimalPlacesBefore = modules.value(1, "DP");
        const Outcome verified = modules.zexctl(2, {"--trace", "restore", "--verify", refused});
        QVERIFY2(verified.out.contains("\nDP: refused by the module (7)\n"),
                 qPrintable(verified.out));
        QVERIFY2(verified.out.endsWith("\nConfiguration restored from " + refused +
                                       " (37 written, 37 read back as written)\n"),
                 qPrintable(verified.out));
        QCOMPARE(verified.exitCode, 1);
        QVERIFY2(verified.err.endsWith("zexctl: restore not verified: 1 value refused, not "
                                       "written or not read back as written (listed above).\n"),
                 qPrintable(verified.err));
        // The trace shows the refusal as the module gave it.
        QVERIFY2(verified.err.contains(
                     QRegularExpression("serial 2 +write +DP +7 +NAK Received +3 attempts")),
                 qPrintable(verified.err));
        // The refusal cost nothing after it.
        for (const char* name : {"ALARM", "Damp", "LINX1", "LINK6", "OVERLOAD"}) {
            QVERIFY2(modules.value(1, name) == modules.value(0, name), name);
        }
        QCOMPARE(modules.value(1, "DP"), decimalPlacesBefore);

        const Outcome restored = modules.zexctl(2, {"restore", file});
        QCOMPARE(restored.err, QString());
        QCOMPARE(restored.out, "10%\n20%\n40%\n60%\n80%\n100%\nConfiguration restored from " +
                                   file + " (38 values)\n");
        QCOMPARE(restored.exitCode, 0);
        modules.write(1, "DP", 1);
        modules.write(1, "ALARM", 70);

        const Outcome same = modules.zexctl(1, {"diff", file});
        QCOMPARE(same.err, QString());
        QCOMPARE(same.out, "The module agrees with " + file + " (38 values compared)\n");
        QCOMPARE(same.exitCode, 0);

        const Outcome other = modules.zexctl(2, {"diff", file});
        QCOMPARE(other.err, QString());
        QCOMPARE(other.out, "ALARM: 85 in the file, 70 in the module\n"
                            "DP: 4 in the file, 1 in the module\n"
                            "2 of 38 values differ from " +
                                file + '\n');
        QCOMPARE(other.exitCode, 1);
    }

    void checksWithAModuleThatMisbehaves_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("misbehaviour");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("restore --verify: a value acknowledged but not kept")
            << "restore --verify"
            << "ALARM not kept" << 1
            << "10%\n20%\n40%\n60%\n80%\n100%\nALARM: wrote 85, read back 90\n"
               "Configuration restored from FILE (2 written, 1 read back as written)\n"
            << "zexctl: restore not verified: 1 value refused, not written or not read back as "
               "written (listed above).\n";
        QTest::newRow("restore --verify: the module stops answering")
            << "restore --verify"
            << "silent from ALARM" << 1
            << "10%\nALARM: Communications Failure: No Response while writing it; nothing after it "
               "was "
               "done\nConfiguration partly restored from FILE (0 written, 0 read back as written)\n"
            << "zexctl: restore not verified: the module stopped answering (see above).\n";
        QTest::newRow("restore --verify: a value the file cannot give")
            << "restore --verify"
            << "DP not a number" << 1
            << "10%\n20%\n40%\n60%\n80%\n100%\nDP: not written (the file's value is not a "
               "number)\n"
               "Configuration restored from FILE (1 written, 1 read back as written)\n"
            << "zexctl: restore not verified: 1 value refused, not written or not read back as "
               "written (listed above).\n";
        QTest::newRow("diff: the module stops answering")
            << "diff"
            << "silent from ALARM" << 1 << ""
            << "zexctl: ALARM could not be read; the comparison stopped there.\n"
               "zexctl: Communications Failure: No Response (on COM3)\n";
        QTest::newRow("diff: a value the file cannot give")
            << "diff"
            << "DP not a number" << 1
            << "ALARM: 85 in the file, 90 in the module\nDP: x in the file, 3 in the module (the "
               "file's value is not a number; a restore leaves it out)\n2 of 2 values differ from "
               "FILE\n"
            << "";
    }
    void checksWithAModuleThatMisbehaves() {
        QFETCH(QString, command);
        QFETCH(QString, misbehaviour);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString file = m_files.path("small.zcf");
        WriteBytes(file, QByteArray("[Data]\r\nType=ZEX\r\n[ReadWrite]\r\nALARM=85\r\nDP=") +
                             (misbehaviour == "DP not a number" ? "x" : "3") + "\r\n");
        ManualClock clock;
        ScriptedSerialPort port(&clock);
        FakeZarnbusModule module(1);
        module.values = {{Z::VERS, 4.1f}, {Z::ALARM, 90.0f}, {Z::DP, 3.0f}};
        bool answering = true;
        port.setResponder([&](const QByteArray& request) {
            const quint8 number = quint8(request[2]) & 0x7F;
            answering = answering && !(misbehaviour == "silent from ALARM" && number == Z::ALARM);
            if (!answering) {
                return QByteArray();
            }
            if (misbehaviour == "ALARM not kept" && quint8(request[2]) == Z::ALARM) {
                return QByteArray("\x01\x06", 2);
            }
            return module.respond(request);
        });
        Outcome outcome = Run(
            port, clock, QStringList{"--port", "COM3"} + command.split(' ') + QStringList{file});
        QCOMPARE(outcome.out.replace(file, "FILE"), out);
        QCOMPARE(outcome.err, err);
        QCOMPARE(outcome.exitCode, exitCode);
    }

    void traceShowsEveryTransactionOnStandardError() {
        ManualClock clock;
        ScriptedSerialPort port(&clock);
        FakeZarnbusModule module(1);
        module.values = {{Z::VERS, 4.1f}, {Z::GROSS, 12.5f}};
        port.setResponder([&](const QByteArray& request) { return module.respond(request); });
        const Outcome plain = Run(port, clock, {"--port", "COM3", "get", "GROSS"});
        QCOMPARE(plain.err, QString());
        const Outcome traced =
            Run(port, clock, {"--port", "COM3", "--trace-bytes", "get", "GROSS"});
        QCOMPARE(traced.out, plain.out);
        const QStringList lines = traced.err.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains(QRegularExpression(
                     "^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  serial 0 +wake +WAKE +Sent +1 attempt +0 ms  "
                     "\\[1\\] > 00 00 00 00 00 00 00 00 00 00$")),
                 qPrintable(lines[0]));
        QVERIFY2(
            lines[1].contains(QRegularExpression("  serial 1 +read +GROSS +12\\.5 +OK +1 "
                                                 "attempt +0 ms  \\[1\\] > FE 01 8E 08 0F < ")),
            qPrintable(lines[1]));
    }
};

QTEST_GUILESS_MAIN(TestLinkCheckCommands)
#include "tst_linkcheckcommands.moc"
