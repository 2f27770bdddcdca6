#include "linklog/LinkLogFormat.h"
#include "linklog/LinkLogRecord.h"
#include "linklog/LinkLogTap.h"
#include "serial/ZarnbusNames.h"
#include "sim/FaultPlan.h"
#include "support/SimulatedLink.h"

#include <QRegularExpression>
#include <QTest>

namespace {

struct Collector : LinkLogSink {
    QList<LinkLogRecord> records;
    void record(const LinkLogRecord& record) override { records.append(record); }
};

// A line without its time of day, with every duration as "N ms" in the same width: the rest is
// exact.
QString Steady(const QString& line) {
    static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d  "));
    static const QRegularExpression duration(QStringLiteral("\\d+ ms"));
    if (!time.match(line).hasMatch()) {
        return QStringLiteral("no time of day: ") + line;
    }
    QString steady = line.mid(14);
    for (QRegularExpressionMatch match = duration.match(steady); match.hasMatch();
         match = duration.match(steady, match.capturedStart() + 1)) {
        steady.replace(match.capturedStart(), match.capturedLength(),
                       QStringLiteral("N ms").rightJustified(match.capturedLength()));
    }
    return steady;
}

// A simulated module on a pseudo-terminal whose link logs into a collector.
struct LoggedLink {
    LoggedLink() { simulated.link().log = &tap; }
    bool ready() const { return simulated.isReady(); }
    void addFault(const FaultPlan::Rule& rule) {
        simulated.withBus([&](SimulatedBus& bus) { bus.moduleFaults(0).add(rule); });
    }

    SimulatedLink simulated{{ModuleAt(1, 4.1)}};
    LinkLogTap tap;
    std::shared_ptr<Collector> collector = std::make_shared<Collector>();
};

// "get NAME", "set NAME VALUE" or "call NAME" on the driver.
void Run(SerialClass& device, const QString& action) {
    const QStringList words = action.split(u' ');
    if (words[0] == u"get") {
        device.GetByName(words[1]);
    } else if (words[0] == u"set") {
        device.LetByName(words[1], DeviceValue(words[2]));
    } else {
        device.MethodByName(words[1]);
    }
}

} // namespace

class TestZarnbus2LogRecorder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesOfTransactionsWithTheSimulatedModule_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("fault"); // a kind for every frame, or "silence once"
        QTest::addColumn<bool>("withBytes");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("result");
        using R = LinkLogRecord::Result;
        const auto row = [](const char* name, const char* action, const char* fault, bool bytes,
                            R result, const char* line) {
            QTest::newRow(name) << QString(action) << QString(fault) << bytes << QString(line)
                                << int(result);
        };
        // One line of the log per row, its columns lined up.
        // clang-format off
        row("a read", "get VERS", "", false, R::Succeeded,
            "serial 1     read    VERS         4.1          OK                       1 attempt     N ms");
        row("a write", "set DP 3", "", false, R::Succeeded,
            "serial 1     write   DP           3            ACK                      1 attempt     N ms");
        row("a command", "call DOKEYTAR", "", false, R::Succeeded,
            "serial 1     command DOKEYTAR                  ACK                      1 attempt     N ms");
        row("a write the module refuses", "set ALARM 90", "nak", false, R::Refused,
            "serial 1     write   ALARM        90           NAK Received             3 attempts    N ms  after NAK Received, NAK Received");
        row("a read with a checksum error", "get GROSS", "checksum", false, R::Failed,
            "serial 1     read    GROSS                     Checksum Error           3 attempts    N ms  after Checksum Error, Checksum Error");
        row("a timeout retried", "get VERS", "silence once", false, R::Succeeded,
            "serial 1     read    VERS         4.1          OK                       2 attempts    N ms  after No Response");
        row("a read with its bytes", "get VERS", "", true, R::Succeeded,
            "serial 1     read    VERS         4.1          OK                       1 attempt     N ms  [1] > FE 01 8A 08 0B < 01 04 00 08 03 03 03 03 83 08 0E");
        row("a reply from another station, with its bytes", "call DOKEYHLD", "station", true, R::Failed,
            "serial 1     command DOKEYHLD                  Invalid Station Response 3 attempts    N ms  after Invalid Station Response, Invalid Station Response  [1] > FE 01 EA 0E 0B < 02 06  [2] > FE 01 EA 0E 0B < 02 06  [3] > FE 01 EA 0E 0B < 02 06");
        // clang-format on
    }
    void linesOfTransactionsWithTheSimulatedModule() {
        QFETCH(QString, action);
        QFETCH(QString, fault);
        QFETCH(bool, withBytes);
        QFETCH(QString, line);
        QFETCH(int, result);
        LoggedLink logged;
        QVERIFY2(logged.ready(), qPrintable(logged.simulated.failure()));
        if (!fault.isEmpty()) {
            const bool once = fault.endsWith(u"once");
            logged.addFault({*FaultPlan::KindFromName(fault.section(u' ', 0, 0)),
                             once ? FaultPlan::Mode::NextFrames : FaultPlan::Mode::Always, 1.0,
                             once ? 1 : 0});
        }
        const LinkLogSubscription subscription(&logged.tap, logged.collector);

        Run(logged.simulated.device(1), action);

        QCOMPARE(logged.collector->records.size(), 1);
        const LinkLogRecord& record = logged.collector->records.first();
        QCOMPARE(Steady(LinkLogFormat::Line(record, withBytes)), line);
        QCOMPARE(int(record.result), result);
        if (fault == u"silence once") {
            // The timeout is waited out in full before the retry, and counted.
            QVERIFY2(record.durationMs >= 1000, qPrintable(QString::number(record.durationMs)));
        }
    }

    // Once the link has given up, the driver answers from its cache: the log says nothing went
    // out, and the broadcast and the wake-up bytes are logged as sent to every module.
    void transactionsThatAreNotAnsweredByOneModule() {
        LoggedLink logged;
        QVERIFY2(logged.ready(), qPrintable(logged.simulated.failure()));
        logged.addFault({FaultPlan::Kind::Nak, FaultPlan::Mode::Always, 1, 0});
        const LinkLogSubscription subscription(&logged.tap, logged.collector);
        SerialClass& device = logged.simulated.device(1);
        device.DOKEYTAR();
        device.GROSS();
        logged.simulated.device(0).Damp(DeviceValue(10));
        device.WAKE();

        QStringList lines;
        for (const LinkLogRecord& record : std::as_const(logged.collector->records)) {
            lines.append(Steady(LinkLogFormat::Line(record, true)));
        }
        // clang-format off
        QCOMPARE(lines, QStringList({
            "serial 1     command DOKEYTAR                  NAK Received             3 attempts    N ms  after NAK Received, NAK Received  [1] > FE 01 E8 0E 09 < 01 15  [2] > FE 01 E8 0E 09 < 01 15  [3] > FE 01 E8 0E 09 < 01 15",
            "serial 1     read    GROSS                     Not sent: link in error  0 attempts    N ms",
            "serial 0     write   Damp         10           Broadcast, no reply      1 attempt     N ms  [1] > FE 00 1A 04 01 02 00 00 00 00 80 09 0D",
            "serial 0     wake    WAKE                      Sent                     1 attempt     N ms  [1] > 00 00 00 00 00 00 00 00 00 00",
        }));
        // clang-format on
    }

    void namesOfParameterAndCommandNumbers_data() {
        QTest::addColumn<bool>("isCommand");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("the driver's own serial number half") << false << 8 << "SERL";
        QTest::newRow("a number between two members") << false << 29 << "parameter 29";
        QTest::newRow("the first linearisation input") << false << 51 << "LINX1";
        QTest::newRow("the last linearisation input") << false << 56 << "LINX6";
        QTest::newRow("the first linearisation value") << false << 57 << "LINK1";
        QTest::newRow("the last linearisation value") << false << 62 << "LINK6";
        QTest::newRow("the last display register") << false << 69 << "REM5";
        QTest::newRow("the remote key, right after") << false << 70 << "REMK";
        QTest::newRow("the last parameter") << false << 93 << "FSNH";
        QTest::newRow("the first command") << true << 100 << "RST";
        QTest::newRow("a command the driver does not use") << true << 110 << "command 110";
    }
    void namesOfParameterAndCommandNumbers() {
        QFETCH(bool, isCommand);
        QFETCH(int, number);
        QFETCH(QString, name);
        QCOMPARE(isCommand ? ZarnbusNames::CommandName(quint8(number))
                           : ZarnbusNames::ParameterName(quint8(number)),
                 name);
    }
};

QTEST_GUILESS_MAIN(TestZarnbus2LogRecorder)
#include "tst_zarnbus2logrecorder.moc"
