#include "cli/ZexCtl.h"
#include "serial/ZarnbusNumbers.h"
#include "support/FakeZarnbusModule.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchFiles.h"
#include "support/ScriptedSerialPort.h"
#include "util/MonotonicClock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace Z = ZarnbusNumber;

namespace {

// zexctl run in-process on a scripted port with one module behind it.
struct Bench {
    explicit Bench(float firmware) {
        module.values = {{Z::VERS, firmware},  {Z::SERH, 15.0f},    {Z::SERL, 16961.0f},
                         {Z::DP, 3.0f},        {Z::RESOL, 2.0f},    {Z::Gain, 2.5f},
                         {Z::LINX1 + 5, 0.6f}, {Z::FGAIN, 1.0012f}, {Z::OVERLOAD, 110.0f},
                         {Z::PTARE, -1.5f}};
        port.setResponder([this](const QByteArray& request) {
            return answers ? module.respond(request) : QByteArray();
        });
    }

    int run(const QStringList& arguments) {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        ZexCtl zexctl(port, clock, outStream, errStream);
        return zexctl.run(QStringList{"--port", "COM3"} + arguments);
    }

    ManualClock clock;
    ScriptedSerialPort port{&clock};
    FakeZarnbusModule module{1};
    bool answers = true;
    QString out;
    QString err;
};

} // namespace

class TestConfigurationFileCommands : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
    }

    void aSilentModuleSavesNothing() {
        const QString file = m_dir.filePath("silent.zcf");
        Bench bench(4.1f);
        bench.answers = false;
        QCOMPARE(bench.run({"save", file}), 1);
        QVERIFY(bench.err.startsWith("zexctl: Communications Failure: No Response (on COM3)\n"));
        QVERIFY(!QFile::exists(file));
        QCOMPARE(bench.out, QString());
    }

    void aModuleThatFailsHalfWayIsReportedWithTheList() {
        const QString file = m_dir.filePath("halfway.zcf");
        Bench bench(4.1f);
        bench.port.setResponder([&bench](const QByteArray& request) {
            if (quint8(request[2]) == (Z::ALARM | 0x80)) {
                bench.answers = false;
            }
            return bench.answers ? bench.module.respond(request) : QByteArray();
        });
        QCOMPARE(bench.run({"save", file}), 1);
        QVERIFY(bench.err.startsWith(
            "zexctl: Save Configuration: Error(s) occurred while reading the configuration data "
            "from the module!\n\nComms error while reading ALARM from module!\n"));
        QVERIFY(bench.err.endsWith("...\nzexctl: Communications Failure: No Response (on COM3)\n"));
        QVERIFY(bench.out.startsWith("10%\n20%\n40%\n"));
        QVERIFY(ReadBytes(file).contains("SYSZERO="));
    }

    // A disk that fills up during the save: the old file stays, and the save is no success.
    void aSaveThatCannotBeWrittenKeepsTheOldFileAndFails() {
        const QString file = m_dir.filePath("full.zcf");
        Bench bench(4.1f);
        QCOMPARE(bench.run({"save", file}), 0);
        WriteBytes(file, ReadBytes(file) + "[Notes]\r\n" +
                             QByteArray("Load cell replaced after overload\r\n").repeated(64));
        const QByteArray before = ReadBytes(file);
        int code = 0;
        {
            const FileSizeLimit limit(2048);
            QVERIFY(limit.isSet());
            code = bench.run({"save", file});
        }
        QCOMPARE(code, 1);
        QVERIFY2(!bench.out.contains("Configuration saved"), qPrintable(bench.out));
        QVERIFY2(bench.err.startsWith("zexctl: Save Configuration: Could not write " + file),
                 qPrintable(bench.err));
        QCOMPARE(ReadBytes(file), before);
    }

    // A wrong command line or file asks nothing of the module.
    void refusedBeforeThePortOpens_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err"); // how the error text starts
        const QString usage = QStringLiteral("zexctl: usage: zexctl [OPTIONS] ");
        QTest::newRow("save without a file") << QStringList{"save"} << 2 << usage;
        QTest::newRow("save with two files") << QStringList{"save", "a.zcf", "b.zcf"} << 2 << usage;
        QTest::newRow("restore without a file") << QStringList{"restore"} << 2 << usage;
        QTest::newRow("a missing file")
            << QStringList{"restore", "nowhere.zcf"} << 1 << "zexctl: File not found: ";
        QTest::newRow("a file of another type")
            << QStringList{"restore", "other.zcf"} << 2
            << "zexctl: Invalid File: The selected file is not an ZEX configuration file!\n";
    }
    void refusedBeforeThePortOpens() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        WriteBytes(m_dir.filePath("other.zcf"), "[Data]\r\nType=QKB\r\n[ReadWrite]\r\nDP=1\r\n");
        if (arguments.size() == 2) {
            arguments[1] = m_dir.filePath(arguments[1]);
        }
        Bench bench(4.1f);
        QCOMPARE(bench.run(arguments), exitCode);
        QVERIFY2(bench.err.startsWith(err), qPrintable(bench.err));
        QCOMPARE(bench.port.openCount, 0);
    }
};

QTEST_GUILESS_MAIN(TestConfigurationFileCommands)
#include "tst_configurationfilecommands.moc"
