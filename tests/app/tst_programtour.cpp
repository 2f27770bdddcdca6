#include "sim/SimulatedBus.h"
#include "sim/SimulatorServer.h"
#include "support/ProgramProcess.h"
#include "support/ScratchFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

// `zex-toolkit --tour`: the real program, started as `make run` starts it on a machine without a
// display, against a simulated module.
class TestProgramTour : public QObject {
    Q_OBJECT

    static QString program() { return QStringLiteral(ZEX_TEST_BIN_DIR "/zex-toolkit"); }

    static ModuleConfig moduleAt(int station) {
        ModuleConfig module;
        module.station = station;
        return module;
    }

    static void storeSettings(ProgramProcess& run, const QByteArray& text) {
        QVERIFY(QDir().mkpath(QFileInfo(run.settingsFile()).path()));
        WriteBytes(run.settingsFile(), text);
    }

    // Distinct colours in a picture: a blank or failed grab has one or two.
    static int colourCount(const QImage& image) {
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3) {
            for (int x = 0; x < image.width(); x += 3) {
                colours.insert(image.pixel(x, y));
            }
        }
        return int(colours.size());
    }

private Q_SLOTS:
    void connectsShowsTheDisplayAndLeavesTheSettingsAlone_data() {
        QTest::addColumn<int>("station");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("no stored settings: station 1 at 19200 baud") << 1 << QByteArray();
        QTest::newRow("the stored station and baud rate are used, and stay as they were")
            << 7 << QByteArray("[Serial]\r\nPort=12\r\nStation=7\r\nBaud=1\r\n");
    }
    void connectsShowsTheDisplayAndLeavesTheSettingsAlone() {
        QFETCH(int, station);
        QFETCH(QByteArray, stored);
        ProgramProcess run({moduleAt(station)});
        QVERIFY2(run.isReady(), qPrintable(run.failure()));
        if (!stored.isEmpty()) {
            storeSettings(run, stored);
        }
        const QString shown = run.bus().withBus([](SimulatedBus& bus) {
            bus.module(0).setAppliedLoad(12.5);
            return bus.module(0).displayText().trimmed();
        });
        QVERIFY(shown.startsWith(QStringLiteral("12.")));
        QTemporaryDir pictures;
        const QString home = pictures.filePath(QStringLiteral("home.png"));
        const QString information = pictures.filePath(QStringLiteral("information.png"));

        const ProgramProcess::Result result =
            run.run(program(), {QStringLiteral("--port"), run.portName(), QStringLiteral("--tour"),
                                QStringLiteral("2"), QStringLiteral("--screenshot"), information,
                                QStringLiteral("--home-screenshot"), home});

        QVERIFY2(result.finished, qPrintable(result.err));
        QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
        QVERIFY2(result.out.contains(QStringLiteral("Connecting on %1 to station %2 at 19200 baud")
                                         .arg(run.portName())
                                         .arg(station)),
                 qPrintable(result.out));
        QVERIFY2(result.out.contains(QStringLiteral("serial number 0001000001")),
                 qPrintable(result.out));
        // One line a second for the tour's two seconds, each with what the module displays.
        QCOMPARE(result.out.count(QStringLiteral("  display %1 T\n").arg(shown)), 2);
        for (const QString& path : {home, information}) {
            const QImage picture(path);
            QVERIFY2(!picture.isNull(), qPrintable(path));
            QVERIFY(picture.width() > 600 && picture.height() > 400);
            QVERIFY2(colourCount(picture) > 20, qPrintable(path));
            QVERIFY(result.out.contains(path));
        }
        QVERIFY(QImage(home) != QImage(information));
        if (stored.isEmpty()) {
            QVERIFY2(!QFile::exists(run.settingsFile()), "the tour stored settings");
        } else {
            QCOMPARE(ReadBytes(run.settingsFile()), stored);
        }
    }

    void saysWhyItCouldNotConnect_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("screenshot");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no module at the stored station")
            << QString() << QByteArray("[Serial]\r\nStation=9\r\n") << QString()
            << "could not connect on %1: Error: Cannot find a module on this port!";
        QTest::newRow("a port this computer does not have")
            << "COM254" << QByteArray() << QString()
            << "COM254 is not a serial port of this computer (found:";
        QTest::newRow("a screenshot that cannot be written")
            << QString() << QByteArray() << "/nonexistent-folder/shot.png"
            << "could not write the screenshot /nonexistent-folder/shot.png";
    }
    void saysWhyItCouldNotConnect() {
        QFETCH(QString, port);
        QFETCH(QByteArray, stored);
        QFETCH(QString, screenshot);
        QFETCH(QString, reason);
        ProgramProcess run({moduleAt(1)});
        QVERIFY2(run.isReady(), qPrintable(run.failure()));
        if (!stored.isEmpty()) {
            storeSettings(run, stored);
        }
        QStringList arguments{QStringLiteral("--port"), port.isEmpty() ? run.portName() : port,
                              QStringLiteral("--tour"), QStringLiteral("1")};
        if (!screenshot.isEmpty()) {
            arguments << QStringLiteral("--screenshot") << screenshot;
        }
        const ProgramProcess::Result result = run.run(program(), arguments);
        QVERIFY2(result.finished, qPrintable(result.err));
        QCOMPARE(result.exitCode, 1);
        if (reason.contains(QLatin1String("%1"))) {
            reason = reason.arg(run.portName());
        }
        QVERIFY2(result.err.contains(QStringLiteral("zex-toolkit: ") + reason),
                 qPrintable(result.err));
    }

    void aModuleThatStopsAnsweringIsAFailure() {
        ProgramProcess run({moduleAt(1)});
        QVERIFY2(run.isReady(), qPrintable(run.failure()));
        // The fault comes while the tour still has seconds to go; its verdict waits for a
        // refresh that ends after them.
        run.start(program(), {QStringLiteral("--port"), run.portName(), QStringLiteral("--tour"),
                              QStringLiteral("4")});
        QString out; // gathered, as QTRY evaluates its condition once more at the end
        QTRY_VERIFY_WITH_TIMEOUT(
            (out += QString::fromLocal8Bit(run.process().readAllStandardOutput()))
                .contains(QStringLiteral("  display ")),
            30000);
        run.bus().withBus([](SimulatedBus& bus) {
            bus.busFaults().add({FaultPlan::Kind::Silence, FaultPlan::Mode::Always, 1.0, 0});
        });
        const ProgramProcess::Result result = run.finish();
        QVERIFY2(result.finished, qPrintable(result.err));
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(
                     QStringLiteral("zex-toolkit: the module stopped answering: No Response")),
                 qPrintable(result.err));
    }
};

QTEST_GUILESS_MAIN(TestProgramTour)
#include "tst_programtour.moc"
