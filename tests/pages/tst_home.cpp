// The Home page against the simulated bus and base station: serial and radio connects with
// their failures, and the settings the page keeps.
#include "controls/ButtonBar.h"
#include "controls/QKBtn.h"
#include "device/CurrentDevice.h"
#include "device/DeviceThread.h"
#include "device/ZEX.h"
#include "pages/CHILD_GEN_HOME.h"
#include "serial/COMDetectModule.h"
#include "serial/QtSerialPortControl.h"
#include "shell/MainFrm.h"
#include "shell/MessageFrm.h"
#include "shell/PageRegistry.h"
#include "sim/RadioSimulation.h"
#include "sim/SimulatorServer.h"
#include "store/ApplicationSettings.h"
#include "store/IniModule.h"
#include "support/ProgramFixture.h"
#include "support/SimulatedLink.h"
#include "util/ApplicationState.h"

#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace {

QString serialSetting(const QString& key) {
    return IniModule::ReadIniValue(AppState().ConfigFile, QStringLiteral("Serial"), key,
                                   QStringLiteral("(missing)"));
}

bool waitForConnectEnd(CHILD_GEN_HOME* home, int timeoutMs = 30000) {
    return QTest::qWaitFor([home] { return !home->IsConnecting(); }, timeoutMs);
}

} // namespace

class TestHome : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aSerialConnectShowsTheModuleAndKeepsTheChoices() {
        ProgramFixture program(ProgramFixture::WithModule(ModuleAt(7, 4.1, 4242, 9600)));
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.connectSerial(7, 0));
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_INFO")));
        QCOMPARE(serialSetting(QStringLiteral("Station")), QStringLiteral("7"));
        QCOMPARE(serialSetting(QStringLiteral("Baud")), QStringLiteral("0"));
        QCOMPARE(serialSetting(QStringLiteral("Port")), QString::number(program.port()));
        QCOMPARE(CurrentDevice::Connection().serialNumberText, QStringLiteral("0000004242"));
        QCOMPARE(CurrentDevice::Connection().firmwareVersion, 4.1f);
        QVERIFY(program.dialogs.isEmpty());
    }

    void aSerialConnectToABusyPortOrAnEmptyStationFails() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        {
            QtSerialPortControl holder;
            holder.setPortName(program.bus().devicePath());
            QVERIFY(holder.open() >= 1);
            QVERIFY(!program.connectSerial());
            QCOMPARE(program.dialogs,
                     QStringList{QStringLiteral("Error: Cannot open selected serial port!")});
            const QString status = program.window().InfoLabel->text();
            QVERIFY2(status.contains(COMDetectModule::PortName(program.port())),
                     qPrintable(status));
            QVERIFY2(status.contains(QStringLiteral("in use")), qPrintable(status));
        }

        program.dialogs.clear();
        QVERIFY(!program.connectSerial(9));
        QCOMPARE(program.dialogs,
                 QStringList{QStringLiteral("Error: Cannot find a module on this port!")});
        QCOMPARE(program.window().Registry().CurrentPageName(), QStringLiteral("CHILD_GEN_HOME"));
        QCOMPARE(program.window().ButtonBar1->ButtonCount(), 1);
        // The error reset cleared the line and the device's error state.
        QTRY_VERIFY(!program.window().Device().errorPending());
        QVERIFY(!program.window().btnErrorReset->Enabled());
    }

    void storedChoicesOutsideTheirRangeFallBackToTheDefaults_data() {
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<int>("stationShown");
        QTest::addColumn<int>("baudShown");
        QTest::newRow("station 0 is the broadcast address") << QString("0") << "0" << 1 << 0;
        QTest::newRow("station 999 does not exist") << QString("999") << "1" << 1 << 1;
        QTest::newRow("text is no station") << QString("abc") << "1" << 1 << 1;
        QTest::newRow("baud selector 5 does not exist") << QString("12") << "5" << 12 << 1;
        QTest::newRow("good values are kept") << QString("254") << "0" << 254 << 0;
    }
    void storedChoicesOutsideTheirRangeFallBackToTheDefaults() {
        QFETCH(QString, station);
        QFETCH(QString, baud);
        QFETCH(int, stationShown);
        QFETCH(int, baudShown);
        ProgramFixture program;
        const QString config = program.userConfigFile();
        QDir().mkpath(QFileInfo(config).path());
        for (const auto& [key, value] :
             {std::pair{"Station", station}, {"Baud", baud}, {"Port", QStringLiteral("COM")}}) {
            QVERIFY(IniModule::WriteIniValue(config, QStringLiteral("Serial"), key, value));
        }
        QVERIFY2(program.start(), qPrintable(program.failure()));
        CHILD_GEN_HOME* home = program.home();
        QVERIFY(home);
        QCOMPARE(home->STATION->ListIndex(), qint16(stationShown));
        QCOMPARE(home->STATION->Caption(), QString::number(stationShown));
        QCOMPARE(home->BAUD->ListIndex(), qint16(baudShown));
    }

    void pairingConnectsTheModuleThatIsPoweredUp() {
        ProgramFixture program(ProgramFixture::WithRadio(
            {QStringLiteral("--base-station"), QStringLiteral("id=12AB,channel=5"),
             QStringLiteral("--radio-module"), QStringLiteral("id=1A2B,channel=5")}));
        QVERIFY2(program.start(), qPrintable(program.failure()));
        CHILD_GEN_HOME* home = program.home();
        QTRY_COMPARE(home->XTab1->currentIndex(), 1);
        home->QKBtn1->HandleClick();
        QTRY_VERIFY(program.notices.contains(
            QStringLiteral("Pairing...: You have 10 seconds to perform Pairing on the ZEX.")));
        QTRY_VERIFY(!program.window().isEnabled());
        QVERIFY(!program.radio()->execute(QStringLiteral("radio power-up 1A2B"))->failed);
        QVERIFY(waitForConnectEnd(home));
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_INFO")));
        QVERIFY(program.window().isEnabled());
        QCOMPARE(program.window().ButtonBar1->ButtonCount(), 5);
        QCOMPARE(program.window().Registry().CurrentDeviceEntry()->FormCollection.at(4),
                 QStringLiteral("CHILD_GEN_R58COMMS"));
        QTRY_COMPARE(program.window().InfoLabel->text(),
                     QStringLiteral("Connected to ZEX of ID 1A2B on channel 5"));
        QVERIFY(program.dialogs.isEmpty());
        QVERIFY(!LoadedMessageFrm());
    }

    void anIdOfZeroIsOnlyStoredAndEscapeEndsPairingAtOnce() {
        ProgramFixture program(ProgramFixture::WithRadio(
            {QStringLiteral("--base-station"), QStringLiteral("id=12AB,channel=5")}));
        QVERIFY2(program.start(), qPrintable(program.failure()));
        // An ID of zero only stores the ID.
        QVERIFY(!program.connectRadio(QStringLiteral("000000")));
        QCOMPARE(ApplicationSettings::ReadWakeID(), QStringLiteral("000000"));
        QVERIFY(program.dialogs.isEmpty());
        QVERIFY(program.notices.isEmpty());
        QVERIFY(!CurrentDevice::Get());

        CHILD_GEN_HOME* home = program.home();
        QTRY_COMPARE(home->XTab1->currentIndex(), 1);
        QElapsedTimer elapsed;
        elapsed.start();
        home->QKBtn1->HandleClick();
        QTRY_VERIFY(LoadedMessageFrm() && LoadedMessageFrm()->isVisible());
        // Pressed while the window is disabled: the program-wide latch still sees it.
        QTest::keyClick(LoadedMessageFrm(), Qt::Key_Escape);
        QVERIFY(waitForConnectEnd(home));
        QVERIFY2(elapsed.elapsed() < 8000, "the ten-second pairing window was waited out");
        QCOMPARE(program.dialogs,
                 QStringList{QStringLiteral("Pairing Failed: Failed to pair with a module!")});
        QCOMPARE(program.window().InfoLabel->text(),
                 QStringLiteral("Could not pair with a module!"));
        QVERIFY(program.window().isEnabled());
        QCOMPARE(program.window().Registry().CurrentPageName(), QStringLiteral("CHILD_GEN_HOME"));
    }

    void aTypedIdConnectsTheModuleAndIsRemembered_data() {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("status");
        QTest::newRow("an ID typed in lower case") << "id=1A2B,channel=5"
                                                   << "1a2b"
                                                   << "Connected to ZEX of ID 1A2B on channel 5";
        QTest::newRow("a module reporting its model in lower case")
            << "id=77,channel=5,model=zex"
            << "77"
            << "Connected to zex of ID 77 on channel 5";
    }
    void aTypedIdConnectsTheModuleAndIsRemembered() {
        QFETCH(QString, module);
        QFETCH(QString, typed);
        QFETCH(QString, status);
        ProgramFixture program(ProgramFixture::WithRadio(
            {QStringLiteral("--base-station"), QStringLiteral("id=12AB,channel=5"),
             QStringLiteral("--radio-module"), module}));
        QVERIFY2(program.start(), qPrintable(program.failure()));
        const QString id = module.section(QLatin1Char(','), 0, 0).mid(3);
        QVERIFY(!program.radio()->execute(QStringLiteral("radio power-up ") + id)->failed);
        QVERIFY(program.connectRadio(typed));
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_INFO")));
        QCOMPARE(program.window().ButtonBar1->ButtonCount(), 5);
        QTRY_COMPARE(program.window().InfoLabel->text(), status);
        QCOMPARE(ApplicationSettings::ReadWakeID(), typed);
        QVERIFY(CurrentDevice::Get()->IsR58());
        QVERIFY(program.notices.contains(QStringLiteral("Connecting: Attempting to connect...")));
        QVERIFY(program.dialogs.isEmpty());
    }
};

QTEST_MAIN(TestHome)
#include "tst_home.moc"
