#include "serial/QtSerialPortControl.h"
#include "support/PseudoTerminal.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <chrono>
#include <thread>
#include <unistd.h>

namespace {

// Generous: a read that waits it out has plainly failed to return early.
constexpr int LongTimeoutMs = 20000;

QString openFailure(QtSerialPortControl& port) {
    try {
        port.open();
    } catch (const SerialPortError& failure) {
        return failure.message();
    }
    return QString();
}

// A port opened on a pseudo-terminal, the far end standing in for the module.
struct OpenPseudoTerminal {
    OpenPseudoTerminal() {
        port.setPortName(far.devicePath());
        port.open();
    }
    PseudoTerminal far;
    QtSerialPortControl port;
};

} // namespace

class TestQtSerialPortControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        // COMn resolves through the links folder of this test's own configuration folder.
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void opensAPseudoTerminalAndCarriesBytesBothWays() {
        PseudoTerminal far;
        QVERIFY(far.isOpen());
        QtSerialPortControl port;
        port.setPortName(far.devicePath());
        port.setBaudRate(19200);
        QCOMPARE(port.open(), 1);
        QVERIFY(port.isOpen());

        const QByteArray request = QByteArray::fromHex("fe018a080b");
        port.write(request);
        QCOMPARE(far.receive(request.size(), LongTimeoutMs), request);

        far.send(QByteArray::fromHex("0106"));
        QCOMPARE(port.read(2, LongTimeoutMs), QByteArray::fromHex("0106"));
        QCOMPARE(port.close(), 0);
        QVERIFY(!port.isOpen());
    }

    void readReturnsAsSoonAsTheReplyIsComplete() {
        OpenPseudoTerminal pty;
        // The module answers the request in two pieces, the second a little later.
        const QByteArray reply = QByteArray::fromHex("01030f080a030d07810807");
        pty.far.startResponder([&pty, &reply](QByteArray& unconsumed) {
            if (unconsumed.size() < 5) {
                return QByteArray();
            }
            unconsumed.clear();
            pty.far.send(reply.left(4));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            return reply.mid(4);
        });
        QElapsedTimer elapsed;
        elapsed.start();
        pty.port.write(QByteArray::fromHex("fe018a080b"));
        QCOMPARE(pty.port.read(int(reply.size()), LongTimeoutMs), reply);
        QVERIFY2(elapsed.elapsed() < LongTimeoutMs / 2,
                 "the read sat out its timeout although the reply was complete");
    }

    // A read takes bytes beyond its count that have already arrived, and what came when the time
    // is up.
    void readTakesWhatHasArrivedAndResetDropsIt() {
        OpenPseudoTerminal pty;
        const QByteArray twelve = QByteArray::fromHex("01030f080a030d0781080799");
        pty.far.send(twelve);
        QVERIFY(pty.far.waitUntilPending(12, LongTimeoutMs));
        QCOMPARE(pty.port.read(11, LongTimeoutMs), twelve);
        pty.far.send(QByteArray::fromHex("0103"));
        QCOMPARE(pty.port.read(11, 100), QByteArray::fromHex("0103"));
        QCOMPARE(pty.port.read(2, 50), QByteArray());

        pty.far.send(QByteArray::fromHex("0115"));
        QVERIFY(pty.far.waitUntilPending(2, LongTimeoutMs));
        pty.port.resetInput(); // a late reply from an earlier attempt is dropped unread
        pty.far.send(QByteArray::fromHex("0206"));
        QCOMPARE(pty.port.read(2, LongTimeoutMs), QByteArray::fromHex("0206"));
    }

    void aPortNumberOpensTheDeviceItsLinkNames() {
        PseudoTerminal far;
        const QString links = m_config.path() + QStringLiteral("/ZEX Toolkit/ports");
        QVERIFY(QDir().mkpath(links));
        QVERIFY(QFile::link(far.devicePath(), links + QStringLiteral("/COM214")));
        QtSerialPortControl port;
        port.setPortNumber(214);
        QCOMPARE(port.open(), 1);
        QCOMPARE(port.portLabel(), QStringLiteral("COM214 (%1)").arg(far.devicePath()));
        port.write("x");
        QCOMPARE(far.receive(1, LongTimeoutMs), QByteArray("x"));
        QFile::remove(links + QStringLiteral("/COM214"));
    }

    void openFailuresNameThePortAndTheReason_data() {
        QTest::addColumn<QString>("expected");
        QTest::newRow("a port number nothing is offered as")
            << "Cannot open COM213: there is no such port";
        QTest::newRow("a device that does not exist")
            << "Cannot open /dev/zex-no-such-device: the device does not exist";
        QTest::newRow("a file that is no serial device") << ": not a serial device.";
    }
    void openFailuresNameThePortAndTheReason() {
        QFETCH(QString, expected);
        QtSerialPortControl port;
        QTemporaryFile file;
        if (QTest::currentDataTag() == QLatin1String("a port number nothing is offered as")) {
            port.setPortNumber(213);
        } else if (QTest::currentDataTag() == QLatin1String("a device that does not exist")) {
            port.setPortName(QStringLiteral("/dev/zex-no-such-device"));
        } else {
            QVERIFY(file.open());
            port.setPortName(file.fileName());
            expected.prepend(QStringLiteral("Cannot open ") + file.fileName());
        }
        const QString message = openFailure(port);
        QVERIFY2(message.startsWith(expected.section(QLatin1Char(':'), 0, 0)) &&
                     message.contains(expected.section(QLatin1Char(':'), 1)),
                 qPrintable(message));
        QVERIFY(!port.isOpen());
    }

    void aBusyPortSaysSoAndNamesTheDevice() {
        PseudoTerminal far;
        QtSerialPortControl first;
        first.setPortName(far.devicePath());
        first.open();
        QtSerialPortControl second;
        second.setPortName(far.devicePath());
        const QString message = openFailure(second);
        QVERIFY2(message.contains(far.devicePath()) && message.contains(QLatin1String("in use")),
                 qPrintable(message));
        first.close();
        QCOMPARE(second.open(), 1);
    }

    void aDeniedDeviceNamesTheGroupToJoin() {
        if (::geteuid() == 0) {
            QSKIP("root may open any device");
        }
        QtSerialPortControl port;
        port.setPortName(QStringLiteral("/dev/ttyS0"));
        const QString message = openFailure(port);
        if (message.isEmpty()) {
            QSKIP("this user may use /dev/ttyS0");
        }
        QVERIFY2(message.contains(QLatin1String("permission denied")), qPrintable(message));
    }

    void aVanishedDeviceFailsWritesAndReads() {
        PseudoTerminal far;
        const QString device = far.devicePath();
        QtSerialPortControl port;
        port.setPortName(device);
        port.open();
        far.hangUp();

        QString writeFailure;
        try {
            port.write(QByteArray(10, '\0'));
            port.read(2, 200); // a hang-up may show only when reading
        } catch (const SerialPortError& failure) {
            writeFailure = failure.message();
        }
        QVERIFY2(writeFailure.contains(device), qPrintable(writeFailure));
        QVERIFY(!port.isOpen());
        QVERIFY_THROWS_EXCEPTION(SerialPortError, port.write("x"));
        QVERIFY_THROWS_EXCEPTION(SerialPortError, port.read(2, 10));
        QVERIFY(openFailure(port).contains(QLatin1String("does not exist")));
    }

private:
    QTemporaryDir m_config;
};

QTEST_GUILESS_MAIN(TestQtSerialPortControl)
#include "tst_qtserialportcontrol.moc"
