#include "device/CurrentDevice.h"
#include "radio/R58Class.h"
#include "radio/RadioErrorCodes.h"
#include "radio/RadioLink.h"
#include "radio/RadioPairing.h"
#include "radio/RadioProcedures.h"
#include "radio/RadioRefusedError.h"
#include "radio/RadioSupport.h"
#include "radio/SocketRadioFactory.h"
#include "sim/BaseStationServer.h"
#include "sim/SimBaseStation.h"
#include "support/InMemoryRadioModule.h"
#include "support/RawLocalPeer.h"
#include "support/RecordingRadioUi.h"
#include "util/ApplicationState.h"
#include "util/MonotonicClock.h"

#include <QTest>

using RadioProcedures::Outcome;

namespace {

constexpr qint64 RequestTimeoutMs = 300;

RadioSocketConnection::Options optionsFor(const QString& socketName) {
    RadioSocketConnection::Options options;
    options.socketName = socketName;
    options.connectTimeoutMs = 300;
    options.requestTimeoutMs = RequestTimeoutMs;
    return options;
}

// The tool's radio layer on one side of a local socket. Socket timeouts run on the real clock;
// the procedures' waits run on a manual one, so a 15-second search costs only its requests.
struct Tool {
    explicit Tool(const QString& socketName)
        : factory(optionsFor(socketName), systemClock()) {}
    ManualClock procedureClock;
    SocketRadioFactory factory;
    RadioSupport radio{factory, procedureClock};
    RecordingRadioUi recorder;
};

// A simulated base station serving on its own socket, with module 1A2B on channel 3.
struct Simulator {
    explicit Simulator(BaseStationConfig config = {})
        : station(config, systemClock()) {
        auto owned = std::make_unique<InMemoryRadioModule>(0x1A2B, 3);
        module = owned.get();
        module->values = {{"GROSS", 12.5}, {"VERS", 4.1}, {"RESOL", 1}, {"SERIALNUMBER", 1000001}};
        station.addModule(std::move(owned));
    }
    bool serve() { return server.startServing(); }

    QString socketName = UniqueRadioSocketName("sim");
    SimBaseStation station;
    InMemoryRadioModule* module = nullptr;
    BaseStationServer server{station, socketName};
};

BaseStationConfig onChannel3() {
    BaseStationConfig config;
    config.channel = 3;
    return config;
}

// The radio driver aimed at module 1A2B of a served simulator on channel 3.
struct DriverOnSimulator {
    DriverOnSimulator() { tool.radio.SetRadioTarget(0x1A2B); }
    Simulator sim{onChannel3()};
    bool serving = sim.serve();
    Tool tool{sim.socketName};
    R58Class driver{tool.radio.link()};
};

} // namespace

class TestRadioSocket : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        CurrentDevice::Release();
        AppState().StatusText.clear();
    }

    void startUp_data() {
        QTest::addColumn<int>("simulator"); // 0 none, 1 without a base station, 2 with one
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("status");
        QTest::newRow("no simulator: no USB interface")
            << 0 << int(RadioSupport::StartOutcome::NoInterface) << "Failed to open USB interface!";
        QTest::newRow("an interface without a base station")
            << 1 << int(RadioSupport::StartOutcome::NoBaseStation)
            << "Could not detect a Base Station!";
        QTest::newRow("a base station") << 2 << int(RadioSupport::StartOutcome::Connected)
                                        << "Connected to Base Station ID 12AB on channel 3";
    }
    void startUp() {
        QFETCH(int, simulator);
        QFETCH(int, outcome);
        QFETCH(QString, status);
        BaseStationConfig config = onChannel3();
        config.attached = simulator == 2;
        Simulator sim(config);
        QVERIFY(simulator == 0 || sim.serve());
        Tool tool(simulator == 0 ? UniqueRadioSocketName("nobody") : sim.socketName);
        QCOMPARE(int(tool.radio.StartRadio(tool.recorder.ui())), outcome);
        QCOMPARE(tool.recorder.lastStatus(), status);
        QCOMPARE(tool.radio.baseStationPresent(), simulator == 2);
        QCOMPARE(AppState().StatusText, simulator == 2 ? status : QString());
    }

    void theDriverReadsAndWritesTheTargetModuleWhileTheLinkLasts() {
        DriverOnSimulator on;
        QVERIFY(on.serving);
        QCOMPARE(on.driver.GetByName(QStringLiteral("GROSS")), DeviceValue(12.5f));
        QCOMPARE(on.driver.GetByName(QStringLiteral("SERIALNUMBER")), DeviceValue(qint64(1000001)));
        QCOMPARE(on.driver.GetByName(QStringLiteral("CHANNEL")), DeviceValue(qint64(3)));
        on.driver.LetByName(QStringLiteral("RESOL"), DeviceValue(2.6));
        QCOMPARE(on.sim.module->values.value("RESOL"), 3.0);
        QVERIFY(!on.driver.ErrorState());

        on.driver.LetByName(QStringLiteral("PeakMode"), DeviceValue(1)); // this module lacks it
        QCOMPARE(on.driver.ErrorDescription(), QStringLiteral("NAK response"));

        on.sim.module->powerDown();
        QVERIFY(on.driver.GetByName(QStringLiteral("GROSS")).isEmpty());
        QCOMPARE(on.driver.ErrorDescription(), QStringLiteral("No response"));

        on.sim.module->powerUp();
        on.driver.MethodByName(QStringLiteral("SAVE"));
        on.driver.MethodByName(QStringLiteral("RST"));
        QVERIFY(!on.driver.ErrorState());
        QCOMPARE(on.sim.module->saves, 1);
        QCOMPARE(on.sim.module->resets, 1);

        // A vanished simulator is a link failure; a restarted one is found again.
        on.sim.server.stopServing();
        QVERIFY(on.driver.GetByName(QStringLiteral("GROSS")).isEmpty());
        QCOMPARE(on.driver.ErrorDescription(), QStringLiteral("No response from base station"));
        QVERIFY(on.sim.serve());
        QCOMPARE(on.driver.GetByName(QStringLiteral("GROSS")), DeviceValue(12.5f));
        QVERIFY(!on.driver.ErrorState());
    }

    void aModulesFaultsReachTheDriver_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("error");
        QTest::newRow("silence") << "silence" << 0 << false << "No response";
        QTest::newRow("a NAK") << "nak" << 0 << false << "NAK response";
        QTest::newRow("a delay the tool waits out") << "delay" << 50 << true << "";
        QTest::newRow("a delay past the tool's timeout")
            << "delay" << int(2 * RequestTimeoutMs) << false << "No response from base station";
    }
    void aModulesFaultsReachTheDriver() {
        QFETCH(QString, fault);
        QFETCH(int, delayMs);
        QFETCH(bool, answered);
        QFETCH(QString, error);
        DriverOnSimulator on;
        QVERIFY(on.serving);
        on.sim.station.setFaultDelayMs(delayMs);
        QVERIFY(on.sim.station.addFault(
            0x1A2B, {*FaultPlan::KindFromName(fault), FaultPlan::Mode::NextFrames, 1.0, 1}));
        QCOMPARE(on.driver.GetByName(QStringLiteral("GROSS")),
                 answered ? DeviceValue(12.5f) : DeviceValue());
        QCOMPARE(on.driver.ErrorDescription(), error);
        // The next exchange is the module's own again; a late reply is not taken for it.
        QCOMPARE(on.driver.GetByName(QStringLiteral("RESOL")), DeviceValue(qint64(1)));
        QVERIFY(!on.driver.ErrorState());
    }

    void pairingFindsAModulePoweredUpWhileItListens() {
        Simulator sim(onChannel3());
        sim.module->joinChannel(9);
        sim.module->powerDown();
        QVERIFY(sim.serve());
        Tool tool(sim.socketName);
        RadioUi ui = tool.recorder.ui();
        ui.escapePressed = [&] {
            sim.station.powerUp(0x1A2B); // the technician switches the module on
            return false;
        };
        const auto result = RadioProcedures::Pair(tool.radio, ui);
        QCOMPARE(result.outcome, Outcome::Connected);
        QCOMPARE(result.model, QStringLiteral("ZEX"));
        QCOMPARE(sim.module->channel(), quint8(3)); // pairing moved it to the base station's
        QCOMPARE(AppState().StatusText, QStringLiteral("Connected to ZEX of ID 1A2B on channel 3"));
        QCOMPARE(CurrentDevice::Connection().firmwareVersion, 4.1f);
        QTRY_COMPARE(sim.station.describe().contains("pairing is listening"), false);
    }

    void changingTheBaseStationChannel() {
        Simulator sim(onChannel3());
        QVERIFY(sim.serve());
        Tool tool(sim.socketName);
        QVERIFY(
            RadioProcedures::SetBaseStationChannel(tool.radio, tool.recorder.ui(), 7).succeeded);
        QCOMPARE(sim.station.channel(), quint8(7));
        QCOMPARE(RadioProcedures::ReadBaseStationChannel(tool.radio), quint8(7));

        BaseStationConfig absent;
        absent.attached = false;
        Simulator without(absent);
        QVERIFY(without.serve());
        Tool other(without.socketName);
        QVERIFY(
            !RadioProcedures::SetBaseStationChannel(other.radio, other.recorder.ui(), 7).succeeded);
        QCOMPARE(other.recorder.events.at(1),
                 QStringLiteral("error status: Cannot set base station channel!"));
    }

    void aSecondSimulatorDoesNotTakeTheSocketOfARunningOne() {
        Simulator sim;
        QVERIFY(sim.serve());
        SimBaseStation other({}, systemClock());
        BaseStationServer second(other, sim.socketName);
        QString error;
        QVERIFY(!second.startServing(&error));
        QVERIFY(error.contains(sim.socketName));
    }

    void peersThatMisbehave_data() {
        QTest::addColumn<QByteArray>("afterGreeting"); // the reply to the first real request
        QTest::addColumn<int>("errorCode");
        QTest::newRow("garbage instead of a reply") << QByteArray("hello world\n") << 4;
        QTest::newRow("an unknown reply kind") << QByteArray("1 MAYBE 3\n") << 4;
        QTest::newRow("an error reply without a code") << QByteArray("1 ERR\n") << 4;
        QTest::newRow("an error reply that claims success") << QByteArray("1 ERR 0\n") << 4;
        QTest::newRow("a value that is no number") << QByteArray("1 OK twelve\n") << 4;
        QTest::newRow("a value that is not finite") << QByteArray("1 OK nan\n") << 4;
        QTest::newRow("a line that never ends") << QByteArray(4096, 'x') << 4;
        QTest::newRow("silence") << QByteArray() << 1;
        QTest::newRow("a closed connection") << QByteArray("<close>") << 1;
        QTest::newRow("a stale reply and then nothing") << QByteArray("0 OK 1\n") << 1;
    }
    void peersThatMisbehave() {
        QFETCH(QByteArray, afterGreeting);
        QFETCH(int, errorCode);
        const QString name = UniqueRadioSocketName("raw");
        RawLocalPeer peer(name, [&](const QByteArray&, int lineNumber) {
            return lineNumber == 0 ? QByteArray("0 OK ZEXR58 1\n") : afterGreeting;
        });
        QVERIFY(peer.listen());
        Tool tool(name);
        tool.radio.SetRadioTarget(0x1A2B);
        R58Class driver(tool.radio.link());
        QVERIFY(driver.GetByName(QStringLiteral("GROSS")).isEmpty());
        QCOMPARE(tool.radio.link()->errorCode(), errorCode);
    }

    void aPeerThatSpeaksAnotherVersionIsNoInterface_data() {
        QTest::addColumn<QByteArray>("greeting");
        QTest::newRow("another version") << QByteArray("0 OK ZEXR58 2\n");
        QTest::newRow("a refusal") << QByteArray("0 REFUSED go away\n");
        QTest::newRow("something else entirely") << QByteArray("SSH-2.0\n");
    }
    void aPeerThatSpeaksAnotherVersionIsNoInterface() {
        QFETCH(QByteArray, greeting);
        const QString name = UniqueRadioSocketName("version");
        RawLocalPeer peer(name, [&](const QByteArray&, int) { return greeting; });
        QVERIFY(peer.listen());
        Tool tool(name);
        QCOMPARE(tool.radio.StartRadio(tool.recorder.ui()),
                 RadioSupport::StartOutcome::NoInterface);
    }

    void aRefusedRequestRaisesToTheCaller() {
        const QString name = UniqueRadioSocketName("refuse");
        RawLocalPeer peer(name, [&](const QByteArray&, int lineNumber) {
            return lineNumber == 0 ? QByteArray("0 OK ZEXR58 1\n")
                                   : QByteArray("1 REFUSED no such thing\n");
        });
        QVERIFY(peer.listen());
        Tool tool(name);
        auto link = tool.radio.link();
        QVERIFY_THROWS_EXCEPTION(RadioRefusedError, link->readParameter(RadioParameter::GROSS));
        QVERIFY_THROWS_EXCEPTION(RadioRefusedError,
                                 link->writeParameter(RadioParameter::VERS, DeviceValue(1.0f)));
        link->close();
        QVERIFY_THROWS_EXCEPTION(RadioRefusedError, link->modelName());
    }
};

QTEST_GUILESS_MAIN(TestRadioSocket)
#include "tst_radiosocket.moc"
