#include "device/CurrentDevice.h"
#include "radio/R58Class.h"
#include "radio/RadioProcedures.h"
#include "radio/RadioSupport.h"
#include "radio/SocketRadioFactory.h"
#include "sim/RadioSimulation.h"
#include "sim/SimBaseStation.h"
#include "sim/SimRadioModule.h"
#include "support/RawLocalPeer.h"
#include "support/RecordingRadioUi.h"
#include "util/MonotonicClock.h"

#include <QProcess>
#include <QTest>
#include <cmath>

using RadioProcedures::Outcome;

namespace {

std::unique_ptr<RadioSimulation> simulationOf(QStringList arguments, MonotonicClock& clock,
                                              QString* error = nullptr) {
    return RadioSimulation::FromArguments(arguments, clock, error);
}

// zex-sim's base station served in this process, with the tool's radio layer on its socket: a
// ZEX (1A2B) and a module of another model (ABCDEF) on the base station's channel 3, and a ZEX
// (5) on channel 9. The procedures wait on a manual clock; the socket and modules on the real one.
struct BaseStationWithModules {
    BaseStationWithModules()
        : factory(options(), systemClock()) {
        QString error;
        simulation = simulationOf({"--radio-socket", socketName, "--base-station", "channel=3",
                                   "--radio-module", "id=1A2B", "--radio-module",
                                   "id=ABCDEF,model=QX9", "--radio-module", "id=5,channel=9"},
                                  systemClock(), &error);
        if (simulation && !simulation->start(&error)) {
            simulation.reset();
        }
        if (!simulation) {
            qWarning("%s", qPrintable(error));
        }
    }
    RadioSocketConnection::Options options() const {
        RadioSocketConnection::Options o;
        o.socketName = socketName;
        return o;
    }
    bool command(const QString& line) {
        const auto result = simulation->execute(line);
        return result && !result->failed;
    }
    float grossOf(quint32 id) { return float(simulation->station().read(id, "GROSS").value); }
    bool reachable(quint32 id) {
        bool answers = false;
        simulation->station().withModule(
            id, [&](RadioReachableModule& module) { answers = module.isReachable(); });
        return answers;
    }

    QString socketName = UniqueRadioSocketName("modules");
    std::unique_ptr<RadioSimulation> simulation;
    ManualClock procedureClock;
    SocketRadioFactory factory;
    RadioSupport radio{factory, procedureClock};
    RecordingRadioUi recorder;
};

} // namespace

Q_DECLARE_METATYPE(RadioProcedures::Outcome)

class TestRadioSimulation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void radioOptionsAreTakenAndTheRestLeftForTheBusOrDefaulted() {
        ManualClock clock;
        QStringList arguments{"--no-timing",         "--base-station",    "id=BEEF,channel=3",
                              "--radio-module",      "id=1a2b,channel=7", "--radio-module",
                              "id=ABCDEF,model=ZEB", "--module",          "station=2"};
        const auto simulation = RadioSimulation::FromArguments(arguments, clock, nullptr);
        QVERIFY(simulation);
        QCOMPARE(arguments, (QStringList{"--no-timing", "--module", "station=2"}));
        QCOMPARE(simulation->station().id(), 0xBEEFu);
        QCOMPARE(simulation->station().channel(), quint8(3));
        const QString described = simulation->station().describe();
        QVERIFY2(described.contains("radio module 1A2B: ZEX on channel 7"), qPrintable(described));
        QVERIFY2(described.contains("radio module ABCDEF: ZEB on channel 3"),
                 qPrintable(described));

        // Without radio options there is one module on the base station's channel.
        const auto plain = simulationOf({}, clock);
        QVERIFY(plain->station().isAttached());
        QVERIFY(plain->station().describe().contains("radio module 1A2B: ZEX on channel 1"));
        const auto absent = simulationOf({"--no-base-station"}, clock);
        QVERIFY(!absent->station().isAttached());
    }

    void badRadioOptionsAreExplained_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        QTest::newRow("a radio ID of zero")
            << QStringList{"--radio-module", "id=0"} << "id must be 1 to 6 hexadecimal digits";
        QTest::newRow("a radio ID beyond 24 bits")
            << QStringList{"--radio-module", "id=1000000"} << "24 bits";
        QTest::newRow("a module channel of 17")
            << QStringList{"--radio-module", "id=1,channel=17"} << "channel must be 1 to 16";
        QTest::newRow("a module without an ID")
            << QStringList{"--radio-module", "channel=2"} << "needs an id";
        QTest::newRow("an ID used twice")
            << QStringList{"--radio-module", "id=5", "--radio-module", "id=05"} << "used twice";
        QTest::newRow("an unknown key")
            << QStringList{"--radio-module", "id=5,colour=red"} << "unknown key \"colour\"";
        QTest::newRow("a base station channel of 0")
            << QStringList{"--base-station", "channel=0"} << "channel must be 1 to 16";
        QTest::newRow("a base station ID that is not hexadecimal")
            << QStringList{"--base-station", "id=XYZ"} << "hexadecimal";
        QTest::newRow("a socket path") << QStringList{"--radio-socket", "/tmp/x"} << "plain name";
        QTest::newRow("a missing value") << QStringList{"--radio-module"} << "needs a value";
    }
    void badRadioOptionsAreExplained() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        ManualClock clock;
        QString error;
        QVERIFY(!simulationOf(arguments, clock, &error));
        QVERIFY2(error.contains(problem), qPrintable(error));
    }

    void operatorCommands_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("output");
        QTest::newRow("status") << "radio" << false << "base station 12AB on channel 1";
        QTest::newRow("help") << "radio help" << false << "radio power-up ID";
        QTest::newRow("power down") << "radio power-down 1a2b" << false << "powered down";
        QTest::newRow("an unknown module")
            << "radio power-up 77" << true << "no radio module has ID 77";
        QTest::newRow("an ID that is no ID") << "radio power-up zz" << true << "is not a radio ID";
        QTest::newRow("a load that is no number")
            << "radio load 1A2B heavy" << true << "is not a load";
        QTest::newRow("an unknown command") << "radio dance" << true << "unknown radio command";
        QTest::newRow("a fault on a module") << "radio fault 1a2b nak next 2" << false
                                             << "radio module 1A2B: nak for the next 2 frames";
        QTest::newRow("a fault the radio does not have")
            << "radio fault 1A2B garbage" << true << "kind: silence, nak, delay";
        QTest::newRow("a fault on an unknown module")
            << "radio fault 77 silence" << true << "no radio module has ID 77";
        QTest::newRow("a delay beyond a minute") << "radio delay 60001" << true << "usage";
        // Setting a value answers nothing, like the bus's commands (a fed load must not scroll).
        QTest::newRow("load") << "radio load 1A2B 5" << false << "";
        QTest::newRow("noise") << "radio noise 1A2B 0.002" << false << "";
        QTest::newRow("negative noise") << "radio noise 1A2B -1" << true << "0 to 10 mV/V";
        QTest::newRow("settling") << "radio settle 1A2B 1500" << false << "";
    }
    void operatorCommands() {
        QFETCH(QString, line);
        QFETCH(bool, failed);
        QFETCH(QString, output);
        ManualClock clock;
        const auto simulation = simulationOf({}, clock);
        const auto result = simulation->execute(line);
        QVERIFY(result);
        QCOMPARE(result->failed, failed);
        if (output.isEmpty()) {
            QCOMPARE(result->output, QString());
        } else {
            QVERIFY2(result->output.contains(output), qPrintable(result->output));
        }
        QVERIFY(!simulation->execute(QStringLiteral("load 5")));
        QVERIFY(!simulation->execute(QStringLiteral("radios")));
    }

    void aLoadOnARadioModuleShowsInItsGrossValue() {
        ManualClock clock;
        const auto simulation = simulationOf({}, clock);
        QVERIFY(!simulation->execute("radio load 1A2B 5")->failed);
        clock.advance(60000); // the filter settles
        const auto gross = simulation->station().read(0x1A2B, "GROSS");
        QCOMPARE(gross.code, SimBaseStation::Ok);
        QVERIFY2(qAbs(gross.value - 5.0) < 0.05, qPrintable(QString::number(gross.value)));
    }

    void faultsAreListedAndCleared() {
        ManualClock clock;
        const auto simulation =
            simulationOf({"--radio-module", "id=1A2B", "--radio-module", "id=5"}, clock);
        QVERIFY(!simulation->execute("radio delay 250")->failed);
        QVERIFY(!simulation->execute("radio fault 1A2B delay 0.5")->failed);
        QVERIFY(!simulation->execute("radio fault 5 silence")->failed);
        QCOMPARE(simulation->execute("radio faults")->output,
                 QStringLiteral("radio module 1A2B: delay with probability 0.5 (250 ms)\n"
                                "radio module 5: silence always\n"));
        QVERIFY(!simulation->execute("radio fault clear 5")->failed);
        QVERIFY(simulation->execute("radio faults")->output.startsWith("radio module 1A2B"));
        QVERIFY(!simulation->execute("radio fault clear")->failed);
        QCOMPARE(simulation->execute("radio faults")->output, QStringLiteral("no radio faults\n"));
    }

    void aRadioModulesLimitsAreInTonnes() {
        ManualClock clock;
        SimRadioModule radio(1, 1, "ZEX", ModuleConfig{}, clock); // 25 t at 2 mV/V
        SimulatedModule serial(ModuleConfig{}, clock);
        // Out of the factory both allow the same: 37.5 t (3 mV/V) and a step of 0.125 t.
        QCOMPARE(radio.parameter("SENS"), std::optional<double>(37.5));
        QCOMPARE(radio.parameter("THRESH"), std::optional<double>(0.125));
        QCOMPARE(serial.readByName("SENS").value, 3.0f);

        // SENS 20: the largest gross on radio, 20 mV/V (far beyond the cell) on the bus.
        QVERIFY(radio.setParameter("SENS", 20));
        QCOMPARE(serial.writeByName("SENS", 20).outcome, SimulatedModule::Outcome::Acknowledged);
        radio.module().setAppliedLoad(21.0);
        serial.setAppliedLoad(21.0);
        QCOMPARE(radio.parameter("OVRRNG"), std::optional<double>(1));
        QCOMPARE(radio.module().displayText(), QStringLiteral("-OL-"));
        QCOMPARE(serial.readByName("OVRRNG").value, 0.0f);

        // THRESH 1 with the slowest filter: a step of 2 t passes the filter by on radio only
        // (on the bus 1 mV/V is 12.5 t).
        for (const QString name : {"THRESH", "Damp"}) {
            const double value = name == "THRESH" ? 1.0 : 0.0;
            QVERIFY(radio.setParameter(name, value));
            QCOMPARE(serial.writeByName(name, value).outcome,
                     SimulatedModule::Outcome::Acknowledged);
        }
        radio.module().setAppliedLoad(10.0);
        serial.setAppliedLoad(10.0);
        clock.advance(60000);
        radio.module().setAppliedLoad(12.0);
        serial.setAppliedLoad(12.0);
        QVERIFY2(radio.parameter("GROSS").value_or(0) > 11.9,
                 qPrintable(QString::number(radio.parameter("GROSS").value_or(0))));
        QVERIFY(serial.gross() < 10.1f);
        // A half-tonne step is smoothed on radio too.
        radio.module().setAppliedLoad(12.5);
        QVERIFY(radio.parameter("GROSS").value_or(0) < 12.2);
    }

    void aFailedConnectLeavesTheCurrentDeviceOnItsOwnModule_data() {
        QTest::addColumn<bool>("pairing");
        QTest::addColumn<QString>("other");  // the ID typed, or the module powered up
        QTest::addColumn<QString>("before"); // an operator command first
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("connecting to a module of another model") << false << "ABCDEF"
                                                                 << "" << Outcome::NotSupported;
        QTest::newRow("connecting to a module on another channel") << false << "5"
                                                                   << "" << Outcome::CannotDetect;
        QTest::newRow("connecting to an ID no module has") << false << "777"
                                                           << "" << Outcome::CannotDetect;
        QTest::newRow("pairing with a module of another model") << true << "ABCDEF"
                                                                << "" << Outcome::NotSupported;
        QTest::newRow("pairing with a module that falls silent")
            << true << "5"
            << "radio fault 5 silence" << Outcome::IdentificationLost;
    }
    void aFailedConnectLeavesTheCurrentDeviceOnItsOwnModule() {
        QFETCH(bool, pairing);
        QFETCH(QString, other);
        QFETCH(QString, before);
        QFETCH(Outcome, outcome);
        CurrentDevice::Release();
        BaseStationWithModules sim;
        QVERIFY(sim.simulation);
        QVERIFY(sim.command("radio load 1A2B 12.5"));
        QCOMPARE(RadioProcedures::DoManualConnection(sim.radio, sim.recorder.ui(), "1A2B").outcome,
                 Outcome::Connected);
        ZEX* const device = CurrentDevice::Get();
        QVERIFY(device);
        const DeviceValue gross = device->GetByName("GROSS");
        QCOMPARE(gross, DeviceValue(sim.grossOf(0x1A2B)));
        QVERIFY(std::abs(gross.toDouble() - 12.55) < 0.01);

        if (!before.isEmpty()) {
            QVERIFY(sim.command(before));
        }
        RadioProcedures::Result result;
        if (pairing) {
            RadioUi ui = sim.recorder.ui();
            bool poweredUp = false;
            bool startedUp = false;
            ui.escapePressed = [&] { // the technician switches the other module on
                if (!poweredUp) {
                    poweredUp = sim.command("radio power-up " + other);
                    // It answers once it has started up.
                    startedUp =
                        QTest::qWaitFor([&] { return sim.reachable(other.toUInt(nullptr, 16)); });
                }
                return false;
            };
            result = RadioProcedures::Pair(sim.radio, ui);
            QVERIFY(poweredUp && startedUp);
        } else {
            result = RadioProcedures::DoManualConnection(sim.radio, sim.recorder.ui(), other);
        }
        QCOMPARE(result.outcome, outcome);

        QCOMPARE(CurrentDevice::Get(), device);
        QCOMPARE(device->GetByName("GROSS"), gross);
        QVERIFY(!device->ErrorState());
        QCOMPARE(sim.radio.radioTargetId(), 0x1A2Bu);
    }

    void radioSettingsTakeEffectWhenSavedAndTheSerialNumberIsTheModels() {
        ManualClock clock;
        SimRadioModule module(0x1A2B, 3, "ZEX", ModuleConfig{}, clock);
        clock.advance(SimulatedModule::StartUpMs);
        QVERIFY(module.isReachable());
        QVERIFY(module.setParameter("CHANNEL", 5));
        QCOMPARE(module.channel(), quint8(3)); // still on its old channel
        module.reset();
        QCOMPARE(module.parameter("CHANNEL"), std::optional<double>(3)); // not saved: lost
        QVERIFY(module.setParameter("CHANNEL", 5));
        QVERIFY(module.setParameter("BOUNDID", 0xFFFFFF));
        module.save();
        module.reset();
        QCOMPARE(module.channel(), quint8(5));
        QCOMPARE(module.parameter("BOUNDID"), std::optional<double>(0xFFFFFF));
        QVERIFY(!module.setParameter("CHANNEL", 0));
        QVERIFY(!module.setParameter("BOUNDTAG", 65536));
        QVERIFY(!module.setParameter("RESOL", 3)); // the module model's own range
        QVERIFY(!module.setParameter("LINX1", 1)); // the model has it, the radio set does not
        QVERIFY(!module.parameter("CMVVLO"));

        // The serial number comes from the module model.
        ModuleConfig config;
        config.serialNumber = 4000000001u;
        SimRadioModule numbered(1, 1, "ZEX", config, clock);
        QCOMPARE(numbered.parameter("SERIALNUMBER"), std::optional<double>(4000000001.0));
        config.firmware = 2.5;
        SimRadioModule older(2, 1, "ZEX", config, clock);
        QVERIFY(!older.parameter("SERIALNUMBER"));
    }

    void zexSimServesTheBaseStationToTheTool() {
        const QString binDir = qEnvironmentVariable("ZEX_BIN_DIR");
        if (binDir.isEmpty()) {
            QSKIP("ZEX_BIN_DIR is not set (run through ctest)");
        }
        const QString socket = UniqueRadioSocketName("zexsim");
        QProcess sim;
        sim.start(binDir + "/zex-sim", {"--no-timing", "--radio-socket", socket, "--base-station",
                                        "channel=3", "--radio-module", "id=1A2B,channel=9"});
        QVERIFY(sim.waitForStarted());
        QByteArray printed;
        QTRY_VERIFY_WITH_TIMEOUT((printed += sim.readAllStandardOutput()).contains("radio socket"),
                                 5000);

        RadioSocketConnection::Options options;
        options.socketName = socket;
        SocketRadioFactory factory(options, systemClock());
        RadioSupport radio(factory, systemClock());
        RecordingRadioUi recorder;
        QCOMPARE(radio.StartRadio(recorder.ui()), RadioSupport::StartOutcome::Connected);
        RadioUi ui = recorder.ui();
        bool poweredUp = false;
        ui.escapePressed = [&] {
            if (!poweredUp) {
                sim.write("radio power-up 1A2B\n"); // the technician switches it on
                poweredUp = true;
            }
            return false;
        };
        const auto result = RadioProcedures::Pair(radio, ui);
        QCOMPARE(result.outcome, RadioProcedures::Outcome::Connected);
        QCOMPARE(result.moduleId, 0x1A2Bu);
        R58Class driver(radio.link());
        QCOMPARE(driver.GetByName("CHANNEL"), DeviceValue(qint64(3)));
        QVERIFY(driver.GetByName("GROSS").isNumber());
        QVERIFY(!driver.ErrorState());

        sim.terminate(); // stops cleanly on the signal
        if (!sim.waitForFinished(3000)) {
            sim.kill();
            sim.waitForFinished();
        }
    }
};

QTEST_GUILESS_MAIN(TestRadioSimulation)
#include "tst_radiosimulation.moc"
