#include "cli/ZexCtl.h"
#include "serial/BusScanModule.h"
#include "support/ScriptedSerialPort.h"
#include "support/SimulatedLink.h"

#include <QTest>
#include <QTextStream>

namespace {

// zexctl run in this process on the simulated line, which it opens itself.
int RunZexCtl(SimulatedLink& line, const QStringList& arguments, QString& out, QString& err) {
    line.port().close();
    ScriptedSerialPort unused;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    return ZexCtl(unused, systemClock(), outStream, errStream)
        .run(QStringList{"--port", line.server().devicePath()} + arguments);
}

} // namespace

class TestBusScan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scanListsExactlyTheModulesOnTheBus() {
        SimulatedLink line({ModuleAt(2, 4.1, 77), ModuleAt(5, 2.5, 88, 9600)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        line.withBus([](SimulatedBus& bus) { bus.module(0).switchOff(); }); // asleep: woken first
        BusScanModule::Request request;
        request.devicePath = line.server().devicePath();
        request.lastStation = 6;
        QList<QPair<int, int>> asked;
        QString error;
        const QList<BusScanModule::FoundModule> found = BusScanModule::Scan(
            line.link(), request,
            [&](int baud, int station) {
                asked.append({baud, station});
            },
            &error);
        QCOMPARE(error, QString());
        QCOMPARE(found, (QList<BusScanModule::FoundModule>{{5, 9600, 2.5f, QString()},
                                                           {2, 19200, 4.1f, "0000000077"}}));
        QCOMPARE(asked.size(), 12);
        QCOMPARE(asked.first(), qMakePair(9600, 1));
        QCOMPARE(asked.last(), qMakePair(19200, 6));
        // One frame per station and rate, no retries; the serial number reads come after.
        const QList<QByteArray> frames = line.takeFramesSeen();
        QCOMPARE(frames.count(Zarnbus2Module::BuildRequest(3, true, ZarnbusNumber::VERS, false, 0)),
                 2);
    }

    void zexctlScanPrintsEachModuleWithProgress() {
        SimulatedLink line({ModuleAt(1, 4.1, 1234567), ModuleAt(3, 3.0, 42)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        QString out;
        QString err;
        QCOMPARE(RunZexCtl(line, {"scan", "1-4"}, out, err), 0);
        QCOMPARE(out, QStringLiteral("station 1  19200 baud  firmware 4.10  serial 0001234567\n"
                                     "station 3  19200 baud  firmware 3.00  serial 0000000042\n"));
        QVERIFY2(err.contains(" at 9600 baud, stations 1-4 ..........\n"), qPrintable(err));
        QVERIFY(err.endsWith("2 modules found.\n"));

        err.clear();
        QCOMPARE(RunZexCtl(line, {"scan", "5-2"}, out, err), 2);
        QVERIFY(err.contains("usage: zexctl [--port P] scan [FIRST-LAST]"));

        // A range where nobody answers says so.
        out.clear();
        err.clear();
        QCOMPARE(RunZexCtl(line, {"scan", "4-5"}, out, err), 1);
        QVERIFY(out.isEmpty());
        QVERIFY2(
            err.endsWith("zexctl: no module answered on " + line.server().devicePath() + ".\n"),
            qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestBusScan)
#include "tst_busscan.moc"
