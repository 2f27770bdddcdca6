#include "cli/ZexCtl.h"
#include "serial/BusScanModule.h"
#include "support/ScriptedSerialPort.h"
#include "support/SimulatedLink.h"

#include <QTest>
#include <QTextStream>

namespace {

ModuleConfig moduleAt(int station, int baud, double firmware, quint32 serial) {
    ModuleConfig config;
    config.station = station;
    config.baudRate = baud;
    config.firmware = firmware;
    config.serialNumber = serial;
    return config;
}

} // namespace

class TestBusScan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scanListsExactlyTheModulesOnTheBus() {
        SimulatedLink line({moduleAt(2, 19200, 4.1, 77), moduleAt(5, 9600, 2.5, 88)});
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
        SimulatedLink line({moduleAt(1, 19200, 4.1, 1234567), moduleAt(3, 19200, 3.0, 42)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        line.port().close(); // zexctl opens the line itself
        ScriptedSerialPort unused;
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        ZexCtl zexctl(unused, systemClock(), outStream, errStream);
        QCOMPARE(zexctl.run({"--port", line.server().devicePath(), "scan", "1-4"}), 0);
        QCOMPARE(out, QStringLiteral("station 1  19200 baud  firmware 4.10  serial 0001234567\n"
                                     "station 3  19200 baud  firmware 3.00  serial 0000000042\n"));
        QVERIFY2(err.contains(" at 9600 baud, stations 1-4 ..........\n"), qPrintable(err));
        QVERIFY(err.endsWith("2 modules found.\n"));

        err.clear();
        QCOMPARE(zexctl.run({"--port", line.server().devicePath(), "scan", "5-2"}), 2);
        QVERIFY(err.contains("usage: zexctl [--port P] scan [FIRST-LAST]"));
    }

    void scanOfAnEmptyRangeSaysSo() {
        SimulatedLink line({moduleAt(9, 19200, 4.1, 1)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        line.port().close(); // zexctl opens the line itself
        ScriptedSerialPort unused;
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        ZexCtl zexctl(unused, systemClock(), outStream, errStream);
        QCOMPARE(zexctl.run({"--port", line.server().devicePath(), "scan", "1-2"}), 1);
        QVERIFY(out.isEmpty());
        QVERIFY2(
            err.endsWith("zexctl: no module answered on " + line.server().devicePath() + ".\n"),
            qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestBusScan)
#include "tst_busscan.moc"
