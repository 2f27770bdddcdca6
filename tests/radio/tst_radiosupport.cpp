#include "radio/RadioRefusedError.h"
#include "radio/RadioSupport.h"
#include "support/RecordingRadioUi.h"
#include "support/ScriptedRadio.h"
#include "util/ApplicationState.h"
#include "util/MonotonicClock.h"

#include <QTest>

namespace {

struct RadioOnScript {
    ManualClock clock;
    ScriptedRadioScript script{clock};
    ScriptedRadioFactory factory{script};
    RadioSupport radio{factory, clock};
    RecordingRadioUi recorder;
};

} // namespace

class TestRadioSupport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { AppState().StatusText.clear(); }

    void withoutTheUsbInterfaceTheBaseStationIsNotAsked() {
        RadioOnScript r;
        r.script.interfacePresent = false;
        QCOMPARE(r.radio.StartRadio(r.recorder.ui()), RadioSupport::StartOutcome::NoInterface);
        QCOMPARE(r.recorder.events,
                 (QStringList{"status: Attempting to open interface connection...", "busy",
                              "normal", "status: Failed to open USB interface!"}));
        QCOMPARE(r.script.count("station.open"), 0);
        QCOMPARE(r.script.calls.mid(0, 5),
                 (QStringList{"host.create", "pairing.create", "pairing.openInterface",
                              "pairing.interfacePresent 0 0", "pairing.finish"}));
        QVERIFY(!r.radio.baseStationPresent());
    }

    void aRefusedCallDoesNotLeaveTheBusyPointerOn() {
        RadioOnScript r;
        r.script.refusedOperation = QStringLiteral("pairing.openInterface");
        QVERIFY_THROWS_EXCEPTION(RadioRefusedError, r.radio.StartRadio(r.recorder.ui()));
        QCOMPARE(r.recorder.events.mid(1), (QStringList{"busy", "normal"}));
        QCOMPARE(r.script.count("pairing.finish"), 1);
    }

    void startUpOutcomes_data() {
        QTest::addColumn<QList<bool>>("openAnswers");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("opens");
        QTest::addColumn<QString>("status");
        QTest::newRow("a base station that answers at once")
            << QList<bool>{true} << true << 1 << "Connected to Base Station ID 12AB on channel 3";
        QTest::newRow("a base station that answers only the second time")
            << QList<bool>{false, true} << true << 2
            << "Connected to Base Station ID 12AB on channel 3";
        QTest::newRow("no base station after two attempts")
            << QList<bool>{false, false} << false << 2 << "Could not detect a Base Station!";
    }
    void startUpOutcomes() {
        QFETCH(QList<bool>, openAnswers);
        QFETCH(bool, present);
        QFETCH(int, opens);
        QFETCH(QString, status);
        RadioOnScript r;
        r.script.openAnswers = openAnswers;
        r.script.openDefault = false;
        r.radio.StartRadio(r.recorder.ui());
        QCOMPARE(r.radio.baseStationPresent(), present);
        QCOMPARE(r.script.count("station.open"), opens);
        QCOMPARE(r.recorder.events.constLast(), QStringLiteral("status: ") + status);
        QCOMPARE(AppState().StatusText, present ? status : QString());
    }

    void theBaseStationIdIsUpperCaseHexWithoutLeadingZeros() {
        QCOMPARE(RadioSupport::BaseStationText(0xAB, 16),
                 QStringLiteral("Connected to Base Station ID AB on channel 16"));
        QCOMPARE(RadioSupport::BaseStationText(0xFFFFFFFF, 1),
                 QStringLiteral("Connected to Base Station ID FFFFFFFF on channel 1"));
    }

    // A link made is closed and given a second; without one there is nothing to wait for.
    void stopClosesTheLinkAndWaitsASecond() {
        RadioOnScript r;
        r.radio.StartRadio(r.recorder.ui());
        r.radio.StopRadio();
        QCOMPARE(r.script.count("link.create"), 0);
        QCOMPARE(r.clock.totalWaitedMs(), 0);

        r.radio.StartRadio(r.recorder.ui());
        r.radio.SetRadioTarget(0x1A2B);
        QCOMPARE(r.script.target, 0x1A2Bu);
        r.radio.StopRadio();
        QVERIFY(r.script.linkClosed);
        QCOMPARE(r.clock.totalWaitedMs(), RadioSupport::CloseSettleMs);
    }
};

QTEST_GUILESS_MAIN(TestRadioSupport)
#include "tst_radiosupport.moc"
