#include "device/CurrentDevice.h"
#include "radio/RadioIdModule.h"
#include "radio/RadioProcedures.h"
#include "radio/RadioRefusedError.h"
#include "radio/RadioSupport.h"
#include "support/RecordingRadioUi.h"
#include "support/ScriptedRadio.h"
#include "util/ApplicationState.h"
#include "util/MonotonicClock.h"

#include <QTest>

using RadioProcedures::Outcome;
Q_DECLARE_METATYPE(RadioProcedures::Outcome)

namespace {

struct RadioOnScript {
    ManualClock clock;
    ScriptedRadioScript script{clock};
    ScriptedRadioFactory factory{script};
    RadioSupport radio{factory, clock};
    RecordingRadioUi recorder;

    RadioOnScript() {
        script.values[RadioParameter::VERS] = DeviceValue(4.1f);
        script.values[RadioParameter::SERIALNUMBER] = DeviceValue(qint64(1000001));
        script.values[RadioParameter::CHANNEL] = DeviceValue(qint64(5));
    }
    RadioProcedures::Result pair() { return RadioProcedures::Pair(radio, recorder.ui()); }
    RadioProcedures::Result connect(const QString& id) {
        return RadioProcedures::DoManualConnection(radio, recorder.ui(), id);
    }
    // Every disable is matched by an enable, and the window ends enabled.
    bool windowEndsEnabled() const {
        return recorder.events.count(QStringLiteral("disable")) ==
                   recorder.events.count(QStringLiteral("enable")) &&
               recorder.events.lastIndexOf(QStringLiteral("enable")) >=
                   recorder.events.lastIndexOf(QStringLiteral("disable"));
    }
    // No notice is left open and the pointer ends normal.
    bool userInterfaceEndsIdle() const {
        bool noticeOpen = false;
        bool busy = false;
        for (const QString& event : recorder.events) {
            if (event.startsWith(QLatin1String("notice:"))) {
                noticeOpen = true;
            } else if (event == QLatin1String("close")) {
                noticeOpen = false;
            } else if (event == QLatin1String("busy") || event == QLatin1String("normal")) {
                busy = event == QLatin1String("busy");
            }
        }
        return !noticeOpen && !busy && windowEndsEnabled();
    }
    // Connects module 77 as the current device and forgets what that took.
    ZEX* connectedTo77() {
        if (connect(QStringLiteral("77")).outcome != Outcome::Connected) {
            return nullptr;
        }
        recorder.events.clear();
        script.calls.clear();
        return CurrentDevice::Get();
    }
};

const QString PairingFailed =
    QStringLiteral("message OK error: Pairing Failed | Failed to pair with a module!");

} // namespace

class TestRadioProcedures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        CurrentDevice::Release();
        AppState().StatusText = QStringLiteral("left over");
    }

    void pairingWithAModuleThatPowersUpConnectsIt() {
        RadioOnScript r;
        r.script.pairsAfterMs = 2500;
        r.script.modelKnownAfterMs = 600;
        const auto result = r.pair();
        QCOMPARE(result.outcome, Outcome::Connected);
        QCOMPARE(result.moduleId, 0x1A2Bu);
        QVERIFY(r.script.calls.contains("pairing.start 1 1 1 10"));
        QCOMPARE(r.recorder.messages(),
                 (QStringList{"notice: Pairing... | You have 10 seconds to perform Pairing on the "
                              "ZEX.",
                              "notice: Pairing... | Identifying device..."}));
        QVERIFY(CurrentDevice::Get() && CurrentDevice::Get()->IsR58());
        QCOMPARE(CurrentDevice::Connection().serialNumberText, QStringLiteral("0001000001"));
        QCOMPARE(r.script.target, 0x1A2Bu);
        QCOMPARE(r.radio.radioTargetId(), 0x1A2Bu);
        QCOMPARE(AppState().StatusText, QStringLiteral("Connected to ZEX of ID 1A2B on channel 5"));
        QCOMPARE(r.recorder.lastStatus(), AppState().StatusText);
        const qsizetype unload = r.recorder.events.indexOf("unload");
        QVERIFY(unload >= 0 && unload < r.recorder.events.indexOf("pages: ZEX"));
        QCOMPARE(r.script.count("pairing.finish"), 1);
        QVERIFY(r.windowEndsEnabled());
        // Identification asked until the name came: 0, 0.3 and 0.6 s after pairing.
        QCOMPARE(r.script.count("pairing.modelNameOfId 1 1a2b"), 3);
    }

    void pairingThatEndsWithoutAModuleFails_data() {
        QTest::addColumn<int>("statusAfterWindow");
        QTest::newRow("the window passes") << 1;
        QTest::newRow("the base station reports another failure") << 42;
        QTest::newRow("the base station cannot be asked") << -1;
    }
    void pairingThatEndsWithoutAModuleFails() {
        QFETCH(int, statusAfterWindow);
        RadioOnScript r;
        r.script.statusAfterWindow = statusAfterWindow;
        const auto result = r.pair();
        QCOMPARE(result.outcome, Outcome::PairingFailed);
        QVERIFY(r.clock.nowMs() >= 10000 && r.clock.nowMs() < 10000 + 100);
        QCOMPARE(r.recorder.messages().constLast(), PairingFailed);
        QCOMPARE(r.recorder.lastStatus(), QStringLiteral("Could not pair with a module!"));
        QCOMPARE(AppState().StatusText, QString());
        QCOMPARE(r.script.count("pairing.finish"), 1);
        QVERIFY(r.windowEndsEnabled());
        QVERIFY(!CurrentDevice::Get());
    }

    void escapeEndsPairingAtOnce() {
        RadioOnScript r;
        r.script.pairsAfterMs = 5000;
        r.recorder.escapeAfterPolls = 3;
        const auto result = r.pair();
        QCOMPARE(result.outcome, Outcome::PairingFailed);
        QVERIFY(r.clock.nowMs() < 500);
        QCOMPARE(r.recorder.messages().constLast(), PairingFailed);
        QCOMPARE(r.script.count("pairing.finish"), 1);
        QVERIFY(r.windowEndsEnabled());
    }

    void aStatusThatNeverLeavesPairingStopsBeingAwaited() {
        RadioOnScript r;
        r.script.statusStuck = true;
        const auto result = r.pair();
        QCOMPARE(result.outcome, Outcome::PairingFailed);
        QCOMPARE(r.clock.nowMs() / 100,
                 (RadioProcedures::PairingSeconds * 1000 + RadioProcedures::PairingGraceMs) / 100);
        QCOMPARE(r.script.count("pairing.finish"), 1);
    }

    void aModelNameThatNeverArrivesStillFinishesThePairing() {
        RadioOnScript r;
        r.script.pairsAfterMs = 1000;
        r.script.modelKnownAfterMs = -1;
        const auto result = r.pair();
        QCOMPARE(result.outcome, Outcome::IdentificationLost);
        const qint64 identifying = r.clock.nowMs() - 1000;
        QVERIFY2(identifying >= 8000 && identifying < 8000 + 400,
                 qPrintable(QString::number(identifying)));
        QVERIFY(r.recorder.messages().constLast().startsWith(
            "message OK error: Pair Failed | Although we did pair with a module when trying to "
            "communicate to retrieve model type we lost communications."));
        QCOMPARE(r.recorder.lastStatus(), QStringLiteral("Pairing failed!"));
        QCOMPARE(r.script.count("pairing.finish"), 1);
        QCOMPARE(r.radio.radioTargetId(), 0u); // the link is aimed where it was
        QVERIFY(!CurrentDevice::Get());
        QVERIFY(r.windowEndsEnabled());
    }

    void aModuleOfAnotherModelIsNotConnected_data() {
        QTest::addColumn<bool>("pairing");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status");
        QTest::newRow("paired") << true
                                << "The module we just paired with is a QX9 but this toolkit does "
                                   "not support this device!"
                                << "QX9 modules not supported!";
        QTest::newRow("connected by ID") << false
                                         << "The module we just connected to is a QX9 but this "
                                            "toolkit does not support this module!"
                                         << "QX9 module not supported!";
    }
    void aModuleOfAnotherModelIsNotConnected() {
        QFETCH(bool, pairing);
        QFETCH(QString, message);
        QFETCH(QString, status);
        RadioOnScript r;
        r.script.pairsAfterMs = 100;
        r.script.pairedModel = QStringLiteral("QX9");
        r.script.linkModel = QStringLiteral("QX9");
        const auto result = pairing ? r.pair() : r.connect(QStringLiteral("8000"));
        QCOMPARE(result.outcome, Outcome::NotSupported);
        QCOMPARE(r.recorder.messages().constLast(),
                 "message OK error: Module Not Supported | " + message);
        QCOMPARE(r.recorder.lastStatus(), status);
        QVERIFY(!CurrentDevice::Get());
        QVERIFY(!r.recorder.events.contains("unload"));
        QCOMPARE(r.script.count("pairing.finish"), 1);
        QVERIFY(r.userInterfaceEndsIdle());
    }

    void manualConnectionReachesAModuleByItsId() {
        RadioOnScript r;
        r.script.linkAnswersAfterMs = 1000;
        const auto result = r.connect(QStringLiteral("1a2b"));
        QCOMPARE(result.outcome, Outcome::Connected);
        QCOMPARE(result.model, QStringLiteral("ZEX"));
        QVERIFY(r.script.calls.contains("pairing.address 1 1a2b"));
        QVERIFY(r.script.calls.indexOf("link.setTarget 1a2b") <
                r.script.calls.indexOf("pairing.address 1 1a2b"));
        // Asked at once, then every 0.4 s until it answered at 1.0 s (1.2 s), then once more.
        QVERIFY(r.clock.nowMs() >= 1000 && r.clock.nowMs() < 1300);
        QCOMPARE(r.recorder.messages(),
                 (QStringList{"notice: Connecting | Attempting to connect..."}));
        QCOMPARE(AppState().StatusText, QStringLiteral("Connected to ZEX of ID 1A2B on channel 5"));
        QVERIFY(CurrentDevice::Get() && CurrentDevice::Get()->IsR58());
        QCOMPARE(r.radio.radioTargetId(), 0x1A2Bu);
        QCOMPARE(r.script.count("pairing.finish"), 1);
        QVERIFY(r.windowEndsEnabled());
        QCOMPARE(r.recorder.events.constLast(), QStringLiteral("enable"));
    }

    void aModuleThatNeverAnswersCannotBeDetectedWithinFifteenSeconds() {
        RadioOnScript r;
        r.script.linkAnswersAfterMs = -1;
        const auto result = r.connect(QStringLiteral("ABCDEF"));
        QCOMPARE(result.outcome, Outcome::CannotDetect);
        QVERIFY(r.clock.nowMs() >= 15000 && r.clock.nowMs() < 15000 + 400);
        QCOMPARE(r.recorder.messages().constLast(),
                 QStringLiteral("message OK error: Cannot Detect | Cannot detect the module! This "
                                "may be because it is on a different radio channel to the base "
                                "station or that there is too much radio traffic to manually "
                                "connect to this module."));
        QCOMPARE(AppState().StatusText, QStringLiteral("left over"));
        QVERIFY(!CurrentDevice::Get());
        QCOMPARE(r.script.count("pairing.finish"), 1);
        QVERIFY(r.windowEndsEnabled());
    }

    void theModelNameIsAskedUpToTwoMoreTimesAfterTheWait_data() {
        QTest::addColumn<int>("emptyAnswers");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("named at the last try") << 3 << Outcome::Connected;
        QTest::newRow("never named") << 4 << Outcome::CannotDetect;
    }
    void theModelNameIsAskedUpToTwoMoreTimesAfterTheWait() {
        QFETCH(int, emptyAnswers);
        QFETCH(Outcome, outcome);
        RadioOnScript r;
        r.script.emptyModelAnswers = emptyAnswers; // the module answers, but without a name
        QCOMPARE(r.connect(QStringLiteral("1A2B")).outcome, outcome);
        // Once before the wait (which an answer without an error skips), once after it and up
        // to two more times.
        QCOMPARE(r.script.count("link.modelName"), 4);
    }

    void aCallRefusedHalfWayClosesTheNoticeAndLeavesTheLinkAlone_data() {
        QTest::addColumn<bool>("pairing");
        QTest::addColumn<QString>("refused");
        QTest::newRow("pairing refused as it starts") << true << "pairing.start";
        QTest::newRow("the pairing status refused") << true << "pairing.status";
        QTest::newRow("identifying the paired module refused") << true << "pairing.modelNameOfId";
        QTest::newRow("addressing the module refused") << false << "pairing.address";
        QTest::newRow("the model name refused") << false << "link.modelName";
    }
    void aCallRefusedHalfWayClosesTheNoticeAndLeavesTheLinkAlone() {
        QFETCH(bool, pairing);
        QFETCH(QString, refused);
        RadioOnScript r;
        ZEX* const current = r.connectedTo77();
        QVERIFY(current);
        r.script.pairsAfterMs = 100;
        r.script.refusedOperation = refused;
        QVERIFY_THROWS_EXCEPTION(RadioRefusedError,
                                 pairing ? r.pair() : r.connect(QStringLiteral("1A2B")));
        QVERIFY2(r.userInterfaceEndsIdle(), qPrintable(r.recorder.events.join(", ")));
        QCOMPARE(r.script.count("pairing.finish"), 1);
        QCOMPARE(CurrentDevice::Get(), current);
        QCOMPARE(r.script.target, 0x77u);
        QCOMPARE(r.radio.radioTargetId(), 0x77u);
    }

    void escapeEndsTheManualWait() {
        RadioOnScript r;
        r.script.linkAnswersAfterMs = -1;
        r.recorder.escapeAfterPolls = 4;
        QCOMPARE(r.connect(QStringLiteral("1")).outcome, Outcome::CannotDetect);
        QVERIFY(r.clock.nowMs() <= 4 * RadioProcedures::EscapePollMs);
    }

    void typedIdsAreUnsignedHexadecimalOrDoNothing_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<quint32>("id"); // 0: names no module
        QTest::newRow("empty") << "" << 0u;
        QTest::newRow("zero") << "0" << 0u;
        QTest::newRow("seven digits") << "1234567" << 0u;
        QTest::newRow("not hexadecimal") << "12G4" << 0u;
        QTest::newRow("a sign") << "-1" << 0u;
        QTest::newRow("a basic hex prefix") << "&H12" << 0u;
        QTest::newRow("four digits from 8000 are not negative") << "8000" << 0x8000u;
        QTest::newRow("lower case") << "abcdef" << 0xABCDEFu;
        QTest::newRow("leading zeros") << "000001" << 1u;
        QTest::newRow("surrounding spaces") << " 1A2B " << 0x1A2Bu;
    }
    void typedIdsAreUnsignedHexadecimalOrDoNothing() {
        QFETCH(QString, typed);
        QFETCH(quint32, id);
        QCOMPARE(RadioIdModule::ParseTypedId(typed).id.value_or(0), id);
        if (id == 0) {
            RadioOnScript r;
            const auto result = r.connect(typed);
            QCOMPARE(result.outcome, Outcome::InvalidId);
            QVERIFY(!result.problem.isEmpty());
            QVERIFY(r.script.calls.isEmpty());
            QVERIFY(r.recorder.events.isEmpty());
        }
    }

    void settingTheBaseStationChannel_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("errorFlag"); // what the base station reports after the change
        QTest::addColumn<QStringList>("events");
        const QStringList quiet{"busy", "normal"};
        QTest::newRow("channel 7") << 7 << 0 << quiet;
        QTest::newRow("a channel the base station refuses")
            << 16 << 3
            << QStringList{"busy", "error status: Cannot set base station channel!", "normal"};
        // Outside 1 to 16 nothing is sent.
        QTest::newRow("zero") << 0 << 0 << QStringList();
        QTest::newRow("seventeen") << 17 << 0 << QStringList();
        QTest::newRow("negative") << -3 << 0 << QStringList();
    }
    void settingTheBaseStationChannel() {
        QFETCH(int, channel);
        QFETCH(int, errorFlag);
        QFETCH(QStringList, events);
        RadioOnScript r;
        r.script.errorFlagAfterClose = errorFlag;
        const auto result =
            RadioProcedures::SetBaseStationChannel(r.radio, r.recorder.ui(), channel);
        QCOMPARE(r.recorder.events, events);
        QCOMPARE(result.succeeded, events == (QStringList{"busy", "normal"}));
        if (events.isEmpty()) {
            QVERIFY(result.problem.contains(QString::number(channel)));
            QVERIFY(r.script.calls.isEmpty());
        } else if (result.succeeded) {
            QCOMPARE(r.script.calls,
                     (QStringList{"station.create", "station.open", "station.setChannel 7",
                                  "station.commit", "station.close"}));
            QCOMPARE(r.clock.totalWaitedMs(), RadioProcedures::ChannelSettleMs);
        }
    }

    void aRefusedChannelCallDoesNotLeaveTheBusyPointerOn() {
        RadioOnScript r;
        r.script.refusedOperation = QStringLiteral("station.setChannel");
        QVERIFY_THROWS_EXCEPTION(
            RadioRefusedError, RadioProcedures::SetBaseStationChannel(r.radio, r.recorder.ui(), 5));
        QCOMPARE(r.recorder.events, (QStringList{"busy", "normal"}));
    }
};

QTEST_GUILESS_MAIN(TestRadioProcedures)
#include "tst_radioprocedures.moc"
