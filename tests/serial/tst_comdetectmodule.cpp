#include "serial/COMDetectModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace COMDetectModule;

// A fake system in a temporary folder: the links folder, /dev and /sys/class/tty.
class FakeSystem {
public:
    FakeSystem() {
        roots.linksFolder = dir.filePath(QStringLiteral("config/ZEX Toolkit/ports"));
        roots.devFolder = dir.filePath(QStringLiteral("dev"));
        roots.sysTtyFolder = dir.filePath(QStringLiteral("sys/class/tty"));
        QDir().mkpath(roots.linksFolder);
        QDir().mkpath(roots.devFolder + QStringLiteral("/serial/by-id"));
        QDir().mkpath(roots.sysTtyFolder);
    }

    QString device(const QString& name) {
        const QString path = roots.devFolder + QLatin1Char('/') + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }
    void removeDevice(const QString& name) {
        QFile::remove(roots.devFolder + QLatin1Char('/') + name);
    }
    void link(const QString& name, const QString& target) {
        QVERIFY(QFile::link(target, roots.linksFolder + QLatin1Char('/') + name));
    }
    // An onboard UART node; type 0 is one the kernel only reserved a name for.
    void uart(int k, int type) {
        device(QStringLiteral("ttyS%1").arg(k));
        const QString folder = roots.sysTtyFolder + QStringLiteral("/ttyS%1").arg(k);
        QDir().mkpath(folder);
        QFile typeFile(folder + QStringLiteral("/type"));
        typeFile.open(QIODevice::WriteOnly);
        typeFile.write(QByteArray::number(type) + '\n');
    }
    // A USB adapter as udev shows it: the node and its by-id link.
    QString adapter(const QString& id, const QString& node) {
        device(node);
        const QString byId = roots.devFolder + QStringLiteral("/serial/by-id/") + id;
        QFile::link(QStringLiteral("../../") + node, byId);
        return byId;
    }
    void unplug(const QString& id, const QString& node) {
        QFile::remove(roots.devFolder + QStringLiteral("/serial/by-id/") + id);
        removeDevice(node);
    }
    QString linkTarget(int number) const {
        return QFileInfo(roots.linksFolder + QLatin1Char('/') + PortName(number)).symLinkTarget();
    }

    QTemporaryDir dir;
    PortRoots roots;
};

class TestCOMDetectModule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void portNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("COM1 is port 1") << "COM1" << 1;
        QTest::newRow("letter case does not matter") << "com12" << 12;
        QTest::newRow("COM255 is the last port") << "COM255" << 255;
        QTest::newRow("COM256 is no port") << "COM256" << 0;
        QTest::newRow("COM0 is no port") << "COM0" << 0;
        QTest::newRow("a leading zero makes another name") << "COM03" << 0;
        QTest::newRow("COM3X is not port 3") << "COM3X" << 0;
        QTest::newRow("XCOM3 is not port 3") << "XCOM3" << 0;
        QTest::newRow("COM alone is no port") << "COM" << 0;
    }
    void portNames() {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(PortNumberFromName(name), number);
    }

    // Links whose names are no port (COM3X, COM300) are left out.
    void linkedPortsAreListedInAscendingOrder() {
        FakeSystem system;
        system.link(QStringLiteral("COM3X"), system.device(QStringLiteral("pts0")));
        system.link(QStringLiteral("COM300"), system.device(QStringLiteral("pts0")));
        system.link(QStringLiteral("COM12"), system.device(QStringLiteral("pts12")));
        system.link(QStringLiteral("COM3"), system.device(QStringLiteral("pts3")));
        system.link(QStringLiteral("COM1"), system.device(QStringLiteral("pts1")));
        QCOMPARE(EnumSerialPorts(system.roots), (QList<int>{1, 3, 12}));
        QCOMPARE(DevicePathForPort(3, system.roots), system.roots.devFolder + "/pts3");
    }

    void danglingLinksAreNotReportedAndAreReused() {
        FakeSystem system;
        system.link(QStringLiteral("COM200"), system.roots.devFolder + "/pts-gone");
        QVERIFY(EnumSerialPorts(system.roots).isEmpty());

        const QString simulator = system.device(QStringLiteral("pts7"));
        QString error;
        QCOMPARE(OfferDeviceOnFreePort(simulator, FirstSimulatorPort, LastSimulatorPort,
                                       system.roots, &error),
                 200);
        QCOMPARE(DevicePathForPort(200, system.roots), simulator);
    }

#ifdef Q_OS_LINUX
    void aLinkThroughAProcessDescriptorGoesWithIt() {
        // How a simulator offers its pseudo-terminal: through its own open descriptor, so a
        // simulator that is killed leaves a dangling link, not one to a reused terminal.
        FakeSystem system;
        const QString device = system.device(QStringLiteral("pts4"));
        QFile held(device);
        QVERIFY(held.open(QIODevice::ReadWrite));
        const QString descriptor = QStringLiteral("/proc/%1/fd/%2")
                                       .arg(QCoreApplication::applicationPid())
                                       .arg(held.handle());
        QCOMPARE(
            OfferDeviceOnFreePort(descriptor, FirstSimulatorPort, LastSimulatorPort, system.roots),
            FirstSimulatorPort);
        QCOMPARE(DevicePathForPort(FirstSimulatorPort, system.roots),
                 QFileInfo(device).canonicalFilePath());

        held.close();
        QVERIFY(EnumSerialPorts(system.roots).isEmpty());
        const QString next = system.device(QStringLiteral("pts5"));
        QCOMPARE(OfferDeviceOnFreePort(next, FirstSimulatorPort, LastSimulatorPort, system.roots),
                 FirstSimulatorPort);
    }
#endif

    void onboardUartsThatExistAreCOMkPlusOneUnlessALinkTakesPrecedence() {
        FakeSystem system;
        system.uart(0, 4);
        system.uart(1, 0); // a phantom
        system.uart(3, 4);
        QCOMPARE(EnumSerialPorts(system.roots), (QList<int>{1, 4}));
        QCOMPARE(DevicePathForPort(4, system.roots), system.roots.devFolder + "/ttyS3");

        // A link takes precedence over an onboard UART, and an adapter linked by hand is not
        // numbered a second time.
        const QString simulator = system.device(QStringLiteral("pts1"));
        system.link(QStringLiteral("COM1"), simulator);
        system.adapter(QStringLiteral("usb-First_A1-if00-port0"), QStringLiteral("ttyUSB0"));
        system.link(QStringLiteral("COM7"), system.roots.devFolder + "/ttyUSB0");
        QCOMPARE(EnumSerialPorts(system.roots), (QList<int>{1, 4, 7}));
        QCOMPARE(DevicePathForPort(1, system.roots), simulator);
    }

    void anAdapterKeepsItsNumberAcrossReplugs() {
        FakeSystem system;
        const QString first =
            system.adapter(QStringLiteral("usb-First_A1-if00-port0"), QStringLiteral("ttyUSB0"));
        QCOMPARE(EnumSerialPorts(system.roots), (QList<int>{FirstAdapterPort}));
        QCOMPARE(system.linkTarget(FirstAdapterPort), first);

        // Unplugged: not listed, but its number stays reserved for it.
        system.unplug(QStringLiteral("usb-First_A1-if00-port0"), QStringLiteral("ttyUSB0"));
        QVERIFY(EnumSerialPorts(system.roots).isEmpty());
        const QString second =
            system.adapter(QStringLiteral("usb-Second_B2-if00-port0"), QStringLiteral("ttyUSB0"));
        QCOMPARE(EnumSerialPorts(system.roots), (QList<int>{FirstAdapterPort + 1}));
        QCOMPARE(system.linkTarget(FirstAdapterPort + 1), second);

        // Back again, on another node: the same number.
        system.adapter(QStringLiteral("usb-First_A1-if00-port0"), QStringLiteral("ttyUSB1"));
        QCOMPARE(EnumSerialPorts(system.roots),
                 (QList<int>{FirstAdapterPort, FirstAdapterPort + 1}));
        QCOMPARE(DevicePathForPort(FirstAdapterPort, system.roots), first);
    }

    void offeringRefusesANumberHeldByAnotherDevice() {
        FakeSystem system;
        const QString held = system.device(QStringLiteral("pts1"));
        const QString other = system.device(QStringLiteral("pts2"));
        QVERIFY(OfferDeviceAsPort(201, held, system.roots));
        QString error;
        QVERIFY(!OfferDeviceAsPort(201, other, system.roots, &error));
        QVERIFY2(error.contains(QLatin1String("COM201")) && error.contains(held),
                 qPrintable(error));
        QVERIFY(OfferDeviceAsPort(201, held, system.roots)); // the same device again is fine
        QVERIFY(!OfferDeviceAsPort(256, other, system.roots, &error));
        QCOMPARE(OfferDeviceOnFreePort(other, 201, 202, system.roots), 202);

        WithdrawPort(201, other, system.roots); // not its device: stays
        QCOMPARE(EnumSerialPorts(system.roots), (QList<int>{201, 202}));
        WithdrawPort(201, held, system.roots);
        QCOMPARE(EnumSerialPorts(system.roots), (QList<int>{202}));
    }
};

QTEST_GUILESS_MAIN(TestCOMDetectModule)
#include "tst_comdetectmodule.moc"
